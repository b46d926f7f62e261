<map version="1.0.1">
<!-- A FreeMind map written for the project: icons, notes, links, an attribute, a cloud and an arrow link. -->
<node ID="ID_1" TEXT="Trip to Lisbon" BACKGROUND_COLOR="#ffffcc">
<font NAME="Arial" SIZE="14" BOLD="true"/>
<edge COLOR="#336699"/>
<icon BUILTIN="flag"/>
<richcontent TYPE="NOTE"><html>
  <head></head>
  <body>
    <p>Plan for <b>three</b> days in May.</p>
    <p>Budget: <font color="teal">800 EUR</font></p>
  </body>
</html></richcontent>
<node ID="ID_2" TEXT="Transport" POSITION="right" FOLDED="true">
<icon BUILTIN="full-1"/>
<arrowlink DESTINATION="ID_3" STARTARROW="None" ENDARROW="Default" COLOR="#cc0000"/>
<node ID="ID_4" TEXT="Flight" LINK="https://www.example.org/flights"/>
<node ID="ID_5" TEXT="Airport bus"/>
</node>
<node ID="ID_3" TEXT="Places" POSITION="left">
<cloud COLOR="#e0f0ff"/>
<icon BUILTIN="yes"/>
<attribute NAME="season" VALUE="spring"/>
<node ID="ID_6" TEXT="Belem tower" LINK="#ID_4"/>
<node ID="ID_7" TEXT="Packing list" LINK="packing-list.txt"/>
</node>
<node TEXT="Mail the hotel" POSITION="left" LINK="mailto:info@example.org?subject=Booking%20in%20May">
<icon BUILTIN="calendar"/>
</node>
</node>
</map>

<map version="1.0.1">
<node TEXT="Root" BACKGROUND_COLOR="#ccffcc"><font NAME="DejaVu Serif" SIZE="20" ITALIC="true"/>
<node TEXT="A" POSITION="left" COLOR="#ff0000"><edge COLOR="#00aa00"/><cloud COLOR="#ffeeee"/>
<node TEXT="A1"><node TEXT="A11"><node TEXT="A111 with a longer text than most"/></node></node>
<node TEXT="A2" FOLDED="true"><node TEXT="hidden"/></node>
</node>
<node TEXT="B" POSITION="right"><arrowlink DESTINATION="ID_X" STARTARROW="Default" ENDARROW="Default" COLOR="#0000ff"/>
<node TEXT="" ID="ID_X"/><node TEXT="&#x4e2d;&#x6587; text"/>
</node>
</node>
</map>

#!/usr/bin/python3
"""Writes garden-project.xmind, topic-shapes.xmind and office-move.mmap, the example packages of the project.

Run from this folder; the packages are committed, this script shows what is in them.
"""
import zipfile

XMIND_CONTENT = """<?xml version="1.0" encoding="UTF-8" standalone="no"?>
<xmap-content xmlns="urn:xmind:xmap:xmlns:content:2.0" xmlns:fo="http://www.w3.org/1999/XSL/Format" xmlns:svg="http://www.w3.org/2000/svg" xmlns:xhtml="http://www.w3.org/1999/xhtml" xmlns:xlink="http://www.w3.org/1999/xlink" version="2.0">
  <sheet id="s1">
    <topic id="t1" structure-class="org.xmind.ui.logic.right" style-id="st1">
      <title>Garden project</title>
      <marker-refs>
        <marker-ref marker-id="priority-1"/>
        <marker-ref marker-id="flag-green"/>
      </marker-refs>
      <notes>
        <plain>Start in March.</plain>
        <html><xhtml:p>Start in <xhtml:span style-id="st3">March</xhtml:span>.</xhtml:p><xhtml:p>Ask the neighbours.</xhtml:p></html>
      </notes>
      <children>
        <topics type="attached">
          <topic id="t2" xlink:href="https://www.example.org/seeds">
            <title>Buy seeds</title>
            <marker-refs><marker-ref marker-id="task-half"/></marker-refs>
            <labels><label>shopping</label></labels>
          </topic>
          <topic id="t3" branch="folded">
            <title>Build beds</title>
            <marker-refs><marker-ref marker-id="smiley-smile"/></marker-refs>
            <children>
              <topics type="attached">
                <topic id="t4"><title>Wood</title></topic>
                <topic id="t5"><title>Soil</title></topic>
              </topics>
            </children>
            <boundaries>
              <boundary id="b1" range="(0,1)"><title>Materials</title></boundary>
            </boundaries>
          </topic>
          <topic id="t6" xlink:href="xmind:#t2"><title>See the seeds</title></topic>
        </topics>
        <topics type="detached">
          <topic id="t7"><title>Ideas</title><position svg:x="120.5" svg:y="-80"/></topic>
        </topics>
      </children>
    </topic>
    <title>Garden</title>
    <relationships>
      <relationship id="r1" end1="t2" end2="t3" style-id="st2"><title>before</title></relationship>
    </relationships>
  </sheet>
</xmap-content>
"""

XMIND_STYLES = """<?xml version="1.0" encoding="UTF-8" standalone="no"?>
<xmap-styles xmlns="urn:xmind:xmap:xmlns:style:2.0" xmlns:fo="http://www.w3.org/1999/XSL/Format" xmlns:svg="http://www.w3.org/2000/svg" version="2.0">
  <styles>
    <style id="st1" type="topic">
      <topic-properties fo:font-family="Arial" fo:font-size="18pt" fo:font-weight="bold" fo:color="#333333" shape-class="org.xmind.topicShape.roundedRect" svg:fill="#DDEEFF" line-class="org.xmind.branchConnection.curve"/>
    </style>
    <style id="st2" type="relationship">
      <relationship-properties line-color="#CC0000" line-pattern="dash" arrow-end-class="org.xmind.arrowShape.triangle"/>
    </style>
    <style id="st3" type="text">
      <text-properties fo:font-weight="bold"/>
    </style>
  </styles>
</xmap-styles>
"""

XMIND_MANIFEST = """<?xml version="1.0" encoding="UTF-8" standalone="no"?>
<manifest xmlns="urn:xmind:xmap:xmlns:manifest:1.0">
  <file-entry full-path="content.xml" media-type="text/xml"/>
  <file-entry full-path="styles.xml" media-type="text/xml"/>
  <file-entry full-path="META-INF/" media-type=""/>
  <file-entry full-path="META-INF/manifest.xml" media-type="text/xml"/>
</manifest>
"""

SHAPES_CONTENT = """<?xml version="1.0" encoding="UTF-8" standalone="no"?>
<xmap-content xmlns="urn:xmind:xmap:xmlns:content:2.0" xmlns:fo="http://www.w3.org/1999/XSL/Format" xmlns:svg="http://www.w3.org/2000/svg" xmlns:xhtml="http://www.w3.org/1999/xhtml" xmlns:xlink="http://www.w3.org/1999/xlink" version="2.0">
  <sheet id="s1">
    <topic id="t1" structure-class="org.xmind.ui.logic.right" style-id="st1">
      <title>Topic shapes</title>
      <children>
        <topics type="attached">
          <topic id="t2" style-id="st2"><title>Rectangle</title></topic>
          <topic id="t3" style-id="st3"><title>Diamond</title></topic>
          <topic id="t4" style-id="st4"><title>No border</title></topic>
          <topic id="t5" style-id="st5"><title>Underline</title></topic>
          <topic id="t6"><title>Rounded</title></topic>
        </topics>
      </children>
    </topic>
    <title>Shapes</title>
  </sheet>
</xmap-content>
"""

SHAPES_STYLES = """<?xml version="1.0" encoding="UTF-8" standalone="no"?>
<xmap-styles xmlns="urn:xmind:xmap:xmlns:style:2.0" xmlns:fo="http://www.w3.org/1999/XSL/Format" xmlns:svg="http://www.w3.org/2000/svg" version="2.0">
  <styles>
    <style id="st1" type="topic">
      <topic-properties fo:font-size="16pt" fo:font-weight="bold" shape-class="org.xmind.topicShape.ellipse" svg:fill="#FFF2CC" border-line-color="#996600"/>
    </style>
    <style id="st2" type="topic">
      <topic-properties shape-class="org.xmind.topicShape.rect"/>
    </style>
    <style id="st3" type="topic">
      <topic-properties shape-class="org.xmind.topicShape.diamond" svg:fill="#E2F0D9"/>
    </style>
    <style id="st4" type="topic">
      <topic-properties shape-class="org.xmind.topicShape.noBorder" svg:fill="#E0F0FF"/>
    </style>
    <style id="st5" type="topic">
      <topic-properties shape-class="org.xmind.topicShape.underline"/>
    </style>
  </styles>
</xmap-styles>
"""

MM_DOCUMENT = """<?xml version="1.0" encoding="UTF-8" standalone="no"?>
<ap:Map OId="map1" xmlns:ap="http://schemas.mindjet.com/MindManager/Application/2003" xmlns:cor="http://schemas.mindjet.com/MindManager/Core/2003" xmlns:pri="http://schemas.mindjet.com/MindManager/Primitive/2003" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
  <ap:OneTopic>
    <ap:Topic OId="T1">
      <ap:SubTopics>
        <ap:Topic OId="T2">
          <ap:Text PlainText="Budget" ReadOnly="false"><ap:Font Bold="true" Color="ff993300"/></ap:Text>
          <ap:IconsGroup><ap:Icons><ap:Icon xsi:type="ap:StockIcon" IconType="urn:mindjet:Prio1"/></ap:Icons></ap:IconsGroup>
          <ap:TextLabels><ap:TextLabel TextLabelName="open"/></ap:TextLabels>
          <ap:Hyperlink Url="https://www.example.org/budget" Absolute="true"/>
        </ap:Topic>
        <ap:Topic OId="T3">
          <ap:TopicViewGroup ViewIndex="0"><ap:Collapsed Collapsed="true"/></ap:TopicViewGroup>
          <ap:Text PlainText="Schedule" ReadOnly="false"/>
          <ap:Task TaskPercentage="50" TaskPriority="urn:mindjet:Prio2" StartDate="2024-03-04T09:00:00" DeadlineDate="2024-03-15T17:00:00" DurationHours="16" DurationUnit="urn:mindjet:Day" Resources="Ana"/>
          <ap:NotesGroup>
            <ap:NotesXhtmlData PreviewPlainText="Kick-off on Monday."><html xmlns="http://www.w3.org/1999/xhtml"><p>Kick-off on <b>Monday</b>.</p><ul><li>book the room</li><li>send the agenda</li></ul></html></ap:NotesXhtmlData>
          </ap:NotesGroup>
          <ap:SubTopics>
            <ap:Topic OId="T4"><ap:Text PlainText="Movers" ReadOnly="false"/><ap:Hyperlink Url="#xpointer(id('T2'))" Absolute="true"/></ap:Topic>
          </ap:SubTopics>
        </ap:Topic>
        <ap:Topic OId="T5">
          <ap:Text PlainText="Happy team" ReadOnly="false"/>
          <ap:IconsGroup><ap:Icons><ap:Icon xsi:type="ap:StockIcon" IconType="urn:mindjet:SmileyHappy"/></ap:Icons></ap:IconsGroup>
          <ap:Hyperlink Url="mailto:team@example.org?subject=Move" Absolute="true"/>
        </ap:Topic>
      </ap:SubTopics>
      <ap:Text PlainText="Office move" ReadOnly="false"><ap:Font Size="14." Name="Verdana"/></ap:Text>
      <ap:IconsGroup><ap:Icons><ap:Icon xsi:type="ap:StockIcon" IconType="urn:mindjet:FlagRed"/></ap:Icons></ap:IconsGroup>
      <ap:SubTopicsShape SubTopicsConnectionStyle="urn:mindjet:Curve"/>
      <ap:Color FillColor="ffddeeff" LineColor="ff336699"/>
    </ap:Topic>
  </ap:OneTopic>
  <ap:Relationships>
    <ap:Relationship OId="R1">
      <ap:ConnectionGroup Index="0"><ap:Connection CX="-8.5" CY="-26.5"><ap:ObjectReference OIdRef="T2"/></ap:Connection></ap:ConnectionGroup>
      <ap:ConnectionGroup Index="1" ConnectionShape="urn:mindjet:Arrow"><ap:Connection CX="-31.5" CY="-12."><ap:ObjectReference OIdRef="T5"/></ap:Connection></ap:ConnectionGroup>
      <ap:LineStyle LineDashStyle="urn:mindjet:Dash" LineWidth="0.5"/>
      <ap:Color LineColor="ffcc0000"/>
      <ap:RelationshipLineShape LineShape="urn:mindjet:Curved"/>
    </ap:Relationship>
  </ap:Relationships>
  <ap:StyleGroup>
    <ap:RootTopicDefaultsGroup><ap:DefaultColor FillColor="fff4f4f4" LineColor="ff333333"/></ap:RootTopicDefaultsGroup>
  </ap:StyleGroup>
  <ap:MarkersSetGroup>
    <ap:IconMarkersSets>
      <ap:IconMarkersSet>
        <ap:Name Name="Flags" Dirty="true"/>
        <ap:IconMarkers>
          <ap:IconMarker xsi:type="ap:StockIconMarker"><ap:Name Name="Urgent" Dirty="true"/><ap:OneStockIcon IconType="urn:mindjet:FlagRed"/></ap:IconMarker>
        </ap:IconMarkers>
      </ap:IconMarkersSet>
    </ap:IconMarkersSets>
    <ap:TextLabelMarkersSet>
      <ap:Name Name="Status"/>
      <ap:TextLabelMarker><ap:Name Name="open"/></ap:TextLabelMarker>
      <ap:TextLabelMarker><ap:Name Name="done"/></ap:TextLabelMarker>
    </ap:TextLabelMarkersSet>
    <ap:TaskResourceMarkersName Name="People" Dirty="1"/>
    <ap:TaskResourceMarker><ap:Name Name="Ana"/></ap:TaskResourceMarker>
  </ap:MarkersSetGroup>
</ap:Map>
"""

# Short schema files: the probe only asks that the four entries exist.
def schema(name, uri):
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<!-- {name}: stand-in schema of the example package. -->
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema" targetNamespace="{uri}"/>
"""


def write(path, entries):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in entries:
            info = zipfile.ZipInfo(name, date_time=(2024, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, text)


write("garden-project.xmind", [
    ("content.xml", XMIND_CONTENT),
    ("styles.xml", XMIND_STYLES),
    ("META-INF/manifest.xml", XMIND_MANIFEST),
])

write("topic-shapes.xmind", [
    ("content.xml", SHAPES_CONTENT),
    ("styles.xml", SHAPES_STYLES),
    ("META-INF/manifest.xml", XMIND_MANIFEST),
])

base = "http://schemas.mindjet.com/MindManager/"
write("office-move.mmap", [
    ("Document.xml", MM_DOCUMENT),
    ("xsd/MindManagerApplication.xsd", schema("MindManagerApplication", base + "Application/2003")),
    ("xsd/MindManagerCore.xsd", schema("MindManagerCore", base + "Core/2003")),
    ("xsd/MindManagerDelta.xsd", schema("MindManagerDelta", base + "Delta/2003")),
    ("xsd/MindManagerPrimitive.xsd", schema("MindManagerPrimitive", base + "Primitive/2003")),
])

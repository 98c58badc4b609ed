<?xml version="1.0" encoding="utf-7"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>&amp;Filx11jjjjjjjjjjjjjjjjx11compoundtextjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjjiiiiiiiiiiiiiiiiiiiiiiiiicnvii$i+iiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiix12comijjjjjjjcompoundtexte</name>
    <message>
        <source>&amp;Open<byte value="x2"/></source>
        <translation>Ö&amp;ffnen&#xd;</translation>
    </message>
    <message numerus="yesutf8">
  </message>
    <message>
     %   <source>Old</source>
        <translation type="vau0shed">Alt</translation>
    </message>
</context>
</TS>

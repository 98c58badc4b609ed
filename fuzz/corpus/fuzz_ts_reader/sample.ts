<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>&amp;File</name>
    <message>
        <source>&amp;Open<byte value="x1"/></source>
        <translation>Ö&amp;ffnen&#xd;</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s)</source>
        <translation><numerusform>%n Datei</numerusform><numerusform>%n Dateien</numerusform></translation>
    </message>
    <message>
        <source>Old</source>
        <translation type="vanished">Alt</translation>
    </message>
</context>
</TS>

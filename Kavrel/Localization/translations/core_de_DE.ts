<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>core</name>
    <message>
        <source>light</source>
        <translation>Hell</translation>
    </message>
    <message>
        <source>dark</source>
        <translation>Dunkel</translation>
    </message>
    <message>
        <source>classic</source>
        <translation>Klassisch</translation>
    </message>
</context>
</TS>

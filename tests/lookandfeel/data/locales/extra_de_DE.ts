<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>LookAndFeelTest</name>
    <message>
        <source>Good evening</source>
        <translation>Guten Abend</translation>
    </message>
    <message>
        <source>Shared</source>
        <translation>Geteilt (extra)</translation>
    </message>
</context>
</TS>

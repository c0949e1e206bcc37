<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>LookAndFeelTest</name>
    <message>
        <source>Good morning</source>
        <translation>Guten Morgen</translation>
    </message>
    <message>
        <source>Shared</source>
        <translation>Geteilt (app)</translation>
    </message>
</context>
<context>
    <name>Kavrel::App::LookAndFeelHandler</name>
    <message>
        <source>More Languages...</source>
        <translation>Weitere Sprachen...</translation>
    </message>
</context>
</TS>

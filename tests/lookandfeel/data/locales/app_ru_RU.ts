<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>LookAndFeelTest</name>
    <message>
        <source>Good morning</source>
        <translation>Доброе утро</translation>
    </message>
</context>
<context>
    <name>Kavrel::App::LookAndFeelHandler</name>
    <message>
        <source>More Languages...</source>
        <translation>Другие языки...</translation>
    </message>
</context>
</TS>

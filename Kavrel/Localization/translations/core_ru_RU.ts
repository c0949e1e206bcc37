<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>core</name>
    <message>
        <source>light</source>
        <translation>Светлая</translation>
    </message>
    <message>
        <source>dark</source>
        <translation>Тёмная</translation>
    </message>
    <message>
        <source>classic</source>
        <translation>Классическая</translation>
    </message>
</context>
</TS>

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>core</name>
    <message>
        <source>light</source>
        <translation>Claro</translation>
    </message>
    <message>
        <source>dark</source>
        <translation>Oscuro</translation>
    </message>
    <message>
        <source>classic</source>
        <translation>Clásico</translation>
    </message>
</context>
</TS>

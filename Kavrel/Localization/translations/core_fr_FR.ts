<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>core</name>
    <message>
        <source>light</source>
        <translation>Clair</translation>
    </message>
    <message>
        <source>dark</source>
        <translation>Sombre</translation>
    </message>
    <message>
        <source>classic</source>
        <translation>Classique</translation>
    </message>
</context>
</TS>

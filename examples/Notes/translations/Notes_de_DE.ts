<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>NotesWindow</name>
    <message><source>Clear the page</source><translation>Seite leeren</translation></message>
    <message><source>Clear every note on this page?</source><translation>Alle Notizen auf dieser Seite löschen?</translation></message>
    <message><source>Notes</source><translation>Notizen</translation></message>
    <message><source>&amp;Notes</source><translation>&amp;Notizen</translation></message>
    <message><source>&amp;Clear...</source><translation>&amp;Leeren...</translation></message>
    <message><source>&amp;Language</source><translation>&amp;Sprache</translation></message>
    <message><source>&amp;Theme</source><translation>&amp;Design</translation></message>
    <message><source>Write here.</source><translation>Hier schreiben.</translation></message>
</context>
</TS>

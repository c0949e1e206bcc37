<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en_US">
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;Restart</source>
        <translation>&amp;Neu starten</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Online Help</source>
        <translation>&amp;Online-Hilfe</translation>
    </message>
    <message>
        <source>&amp;Frequently Asked Questions</source>
        <translation>&amp;Häufig gestellte Fragen</translation>
    </message>
    <message>
        <source>&amp;Home Page</source>
        <translation>&amp;Startseite</translation>
    </message>
    <message>
        <source>&amp;Forum</source>
        <translation>&amp;Forum</translation>
    </message>
    <message>
        <source>About &amp;Hardware Decoding...</source>
        <translation>Über &amp;Hardware-Dekodierung...</translation>
    </message>
    <message>
        <source>This player decodes in software. Hardware decoding comes with a later version.</source>
        <translation>Dieser Player dekodiert in Software. Hardware-Dekodierung folgt in einer späteren Version.</translation>
    </message>
    <message>
        <source>Learn more</source>
        <translation>Mehr erfahren</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>More languages will come with the next updates.</source>
        <translation>Weitere Sprachen folgen mit den nächsten Updates.</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Playback</source>
        <translation>&amp;Wiedergabe</translation>
    </message>
    <message>
        <source>&amp;Shuffle</source>
        <translation>&amp;Zufallswiedergabe</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Language</source>
        <translation>&amp;Sprache</translation>
    </message>
    <message>
        <source>&amp;Theme</source>
        <translation>&amp;Design</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>&amp;Extras</translation>
    </message>
    <message>
        <source>Check for Updates &amp;Automatically</source>
        <translation>&amp;Automatisch nach Updates suchen</translation>
    </message>
    <message>
        <source>Play</source>
        <extracomment>A button: play the selected track.</extracomment>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Lautstärke</translation>
    </message>
    <message>
        <source>Playing: %1</source>
        <translation>Wiedergabe: %1</translation>
    </message>
    <message>
        <source>Nothing played yet</source>
        <translation>Noch nichts abgespielt</translation>
    </message>
    <message>
        <source>Last played: %1</source>
        <translation>Zuletzt gespielt: %1</translation>
    </message>
    <message>
        <source>First start after installation</source>
        <translation>Erster Start nach der Installation</translation>
    </message>
    <message>
        <source>First start after an update</source>
        <translation>Erster Start nach einem Update</translation>
    </message>
    <message>
        <source>First start after a reinstall</source>
        <translation>Erster Start nach einer Neuinstallation</translation>
    </message>
    <message>
        <source>Regular start</source>
        <translation>Normaler Start</translation>
    </message>
    <message>
        <source>the previous run ended unexpectedly</source>
        <extracomment>Follows the kind of start after a semicolon, hence the small letter.</extracomment>
        <translation>die letzte Sitzung endete unerwartet</translation>
    </message>
    <message>
        <source>the previous run ended properly</source>
        <extracomment>Follows the kind of start after a semicolon, hence the small letter.</extracomment>
        <translation>die letzte Sitzung wurde ordnungsgemäß beendet</translation>
    </message>
    <message>
        <source>%1; %2</source>
        <extracomment>The kind of start, then how the previous run ended: &quot;Regular start; the previous run ended properly&quot;.</extracomment>
        <translation>%1; %2</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Checking for updates...</source>
        <translation>Suche nach Updates...</translation>
    </message>
</context>
<context>
    <name>SettingsStatusObserver</name>
    <message numerus="yes">
        <source>%n byte(s)</source>
        <translation>
            <numerusform>%n Byte</numerusform>
            <numerusform>%n Bytes</numerusform>
        </translation>
    </message>
    <message>
        <source>on</source>
        <extracomment>A switch&apos;s state, as in &quot;Player/Shuffle changed from off to on&quot;.</extracomment>
        <translation>ein</translation>
    </message>
    <message>
        <source>off</source>
        <extracomment>A switch&apos;s state, as in &quot;Player/Shuffle changed from on to off&quot;.</extracomment>
        <translation>aus</translation>
    </message>
    <message>
        <source>%1 changed from %2 to %3</source>
        <translation>%1 von %2 auf %3 geändert</translation>
    </message>
    <message>
        <source>%1 set to %2</source>
        <translation>%1 auf %2 gesetzt</translation>
    </message>
</context>
</TS>

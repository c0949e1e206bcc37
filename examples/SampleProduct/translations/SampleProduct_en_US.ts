<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
<context>
    <name>MainWindow</name>
    <message numerus="yes">
        <source>%n file(s) deleted from the playlist.</source>
        <translation>
            <numerusform>%n file deleted from the playlist.</numerusform>
            <numerusform>%n files deleted from the playlist.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n question(s) will be asked again.</source>
        <translation>
            <numerusform>%n question will be asked again.</numerusform>
            <numerusform>%n questions will be asked again.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message numerus="yes">
        <source>The player stopped unexpectedly at start %n times in a row. Start with the default theme and language?</source>
        <translation>
            <numerusform>The player stopped unexpectedly at start %n time in a row. Start with the default theme and language?</numerusform>
            <numerusform>The player stopped unexpectedly at start %n times in a row. Start with the default theme and language?</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>SettingsStatusObserver</name>
    <message numerus="yes">
        <source>%n byte(s)</source>
        <translation>
            <numerusform>%n byte</numerusform>
            <numerusform>%n bytes</numerusform>
        </translation>
    </message>
</context>
</TS>

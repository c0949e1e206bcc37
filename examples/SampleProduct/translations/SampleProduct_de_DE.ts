<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en_US">
<context>
    <name>AboutBoxDialog</name>
    <message>
        <source>&lt;a href=&quot;#&quot;&gt;Visit home page&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;#&quot;&gt;Startseite besuchen&lt;/a&gt;</translation>
    </message>
    <message>
        <source>All Rights Reserved</source>
        <translation>Alle Rechte vorbehalten</translation>
    </message>
    <message>
        <source>&lt;a href=&quot;#&quot;&gt;Custom URL&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;#&quot;&gt;Eigener Link&lt;/a&gt;</translation>
    </message>
</context>
<context>
    <name>CodecsMenu</name>
    <message>
        <source>&amp;Codecs</source>
        <translation>&amp;Codecs</translation>
    </message>
    <message>
        <source>Prefer Hardware Decoding</source>
        <translation>Hardware-Dekodierung bevorzugen</translation>
    </message>
    <message>
        <source>Disable Hardware Decoding</source>
        <translation>Hardware-Dekodierung abschalten</translation>
    </message>
    <message>
        <source>Decode in Software Only</source>
        <translation>Nur in Software dekodieren</translation>
    </message>
</context>
<context>
    <name>EmailWidget</name>
    <message>
        <source>Thank you for choosing Kavrel software!</source>
        <translation>Danke, dass Sie sich für Kavrel-Software entschieden haben!</translation>
    </message>
    <message>
        <source>We have special
discounts for you!</source>
        <translation>Wir haben besondere
Rabatte für Sie!</translation>
    </message>
    <message>
        <source>Register to get technical support, special deals and tips for making great videos.</source>
        <translation>Registrieren Sie sich für technischen Support, Sonderangebote und Tipps für großartige Videos.</translation>
    </message>
    <message>
        <source>Email:</source>
        <translation>E-Mail:</translation>
    </message>
    <message>
        <source>I don&apos;t want to recieve Kavrel newsletters</source>
        <translation>Ich möchte keine Kavrel-Newsletter erhalten</translation>
    </message>
    <message>
        <source>You may cancel this subscription at any time.</source>
        <translation>Sie können dieses Abonnement jederzeit kündigen.</translation>
    </message>
    <message>
        <source>No, thanks</source>
        <translation>Nein, danke</translation>
    </message>
    <message>
        <source>Register and continue</source>
        <translation>Registrieren und weiter</translation>
    </message>
</context>
<context>
    <name>Kavrel::App::AboutBoxDialog</name>
    <message>
        <source>Visit homepage</source>
        <translation>Startseite besuchen</translation>
    </message>
    <message>
        <source>Copyright © %1 %2</source>
        <translation>Copyright © %1 %2</translation>
    </message>
    <message>
        <source>Email address has been copied to the clipboard</source>
        <translation>Die E-Mail-Adresse wurde in die Zwischenablage kopiert</translation>
    </message>
</context>
<context>
    <name>Kavrel::App::ConfirmationAlertBox</name>
    <message>
        <source>Don&apos;t show this again</source>
        <translation>Nicht mehr anzeigen</translation>
    </message>
</context>
<context>
    <name>Kavrel::App::EmailWidget</name>
    <message>
        <source>Skip</source>
        <translation>Überspringen</translation>
    </message>
    <message>
        <source>Register now and you will be among the first to know about our special offers and sales.</source>
        <translation>Registrieren Sie sich jetzt und erfahren Sie als Erste von unseren Sonderangeboten und Rabattaktionen.</translation>
    </message>
    <message>
        <source>Please enter a valid email address</source>
        <translation>Bitte geben Sie eine gültige E-Mail-Adresse ein</translation>
    </message>
</context>
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
        <translation type="vanished">&amp;Datei</translation>
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
    <message>
        <source>Delete all files from the playlist?</source>
        <translation>Alle Dateien aus der Wiedergabeliste löschen?</translation>
    </message>
    <message>
        <source>The files themselves stay on the disk.</source>
        <translation>Die Dateien selbst bleiben auf dem Datenträger.</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) deleted from the playlist.</source>
        <translation>
            <numerusform>%n Datei aus der Wiedergabeliste gelöscht.</numerusform>
            <numerusform>%n Dateien aus der Wiedergabeliste gelöscht.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n question(s) will be asked again.</source>
        <translation>
            <numerusform>%n Frage wird wieder gestellt.</numerusform>
            <numerusform>%n Fragen werden wieder gestellt.</numerusform>
        </translation>
    </message>
    <message>
        <source>&amp;Delete All Files...</source>
        <translation>Alle Dateien &amp;löschen...</translation>
    </message>
    <message>
        <source>Ask Me Again for &amp;Everything</source>
        <translation>Bei allem &amp;wieder fragen</translation>
    </message>
    <message>
        <source>&amp;About %1...</source>
        <translation>&amp;Über %1...</translation>
    </message>
    <message>
        <source>The player&apos;s settings live in its menus.</source>
        <translation>Die Einstellungen des Players stehen in seinen Menüs.</translation>
    </message>
    <message>
        <source>Pinch: %1% of the start</source>
        <translation>Zoomen: %1% des Anfangs</translation>
    </message>
    <message>
        <source>Rotate: %1 degrees</source>
        <translation>Drehen: %1 Grad</translation>
    </message>
    <message>
        <source>&amp;Player</source>
        <translation>&amp;Player</translation>
    </message>
    <message>
        <source>&amp;Preferences...</source>
        <translation>&amp;Einstellungen...</translation>
    </message>
    <message>
        <source>&amp;Hide Sample Player</source>
        <translation>Sample Player &amp;ausblenden</translation>
    </message>
    <message>
        <source>Hide &amp;Others</source>
        <translation>&amp;Andere ausblenden</translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <translation>&amp;Fenster</translation>
    </message>
    <message>
        <source>&amp;Minimize</source>
        <translation>&amp;Minimieren</translation>
    </message>
    <message>
        <source>&amp;Zoom</source>
        <translation>&amp;Zoomen</translation>
    </message>
    <message>
        <source>&amp;Bring All to Front</source>
        <translation>Alle nach &amp;vorne bringen</translation>
    </message>
    <message>
        <source>Run &amp;Helper</source>
        <translation>&amp;Helfer starten</translation>
    </message>
    <message>
        <source>The helper said &quot;%1&quot;; answered &quot;%2&quot;</source>
        <translation>Der Helfer sagte „%1“; Antwort: „%2“</translation>
    </message>
    <message>
        <source>The helper has closed</source>
        <translation>Der Helfer wurde geschlossen</translation>
    </message>
    <message>
        <source>The helper is running</source>
        <translation>Der Helfer läuft</translation>
    </message>
    <message>
        <source>The helper could not be started</source>
        <translation>Der Helfer konnte nicht gestartet werden</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Checking for updates...</source>
        <translation>Suche nach Updates...</translation>
    </message>
    <message numerus="yes">
        <source>The player stopped unexpectedly at start %n times in a row. Start with the default theme and language?</source>
        <translation>
            <numerusform>Der Player wurde beim Start %n Mal hintereinander unerwartet beendet. Mit dem Standarddesign und der Standardsprache starten?</numerusform>
            <numerusform>Der Player wurde beim Start %n Mal hintereinander unerwartet beendet. Mit dem Standarddesign und der Standardsprache starten?</numerusform>
        </translation>
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

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR" sourcelanguage="en_US">
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;Restart</source>
        <translation>&amp;Redémarrer</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Aide</translation>
    </message>
    <message>
        <source>&amp;Online Help</source>
        <translation>&amp;Aide en ligne</translation>
    </message>
    <message>
        <source>&amp;Frequently Asked Questions</source>
        <translation>&amp;Questions fréquentes</translation>
    </message>
    <message>
        <source>&amp;Home Page</source>
        <translation>&amp;Page d'accueil</translation>
    </message>
    <message>
        <source>&amp;Forum</source>
        <translation>&amp;Forum</translation>
    </message>
    <message>
        <source>About &amp;Hardware Decoding...</source>
        <translation>À propos du décodage &amp;matériel...</translation>
    </message>
    <message>
        <source>This player decodes in software. Hardware decoding comes with a later version.</source>
        <translation>Ce lecteur décode par logiciel. Le décodage matériel viendra dans une version ultérieure.</translation>
    </message>
    <message>
        <source>Learn more</source>
        <translation>En savoir plus</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Prêt</translation>
    </message>
    <message>
        <source>More languages will come with the next updates.</source>
        <translation>D’autres langues arriveront avec les prochaines mises à jour.</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;Playback</source>
        <translation>&amp;Lecture</translation>
    </message>
    <message>
        <source>&amp;Shuffle</source>
        <translation>Lecture &amp;aléatoire</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Affichage</translation>
    </message>
    <message>
        <source>&amp;Language</source>
        <translation>&amp;Langue</translation>
    </message>
    <message>
        <source>&amp;Theme</source>
        <translation>&amp;Thème</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>&amp;Outils</translation>
    </message>
    <message>
        <source>Check for Updates &amp;Automatically</source>
        <translation>Rechercher &amp;automatiquement les mises à jour</translation>
    </message>
    <message>
        <source>Play</source>
        <extracomment>A button: play the selected track.</extracomment>
        <translation>Lire</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>Playing: %1</source>
        <translation>Lecture&#xa0;: %1</translation>
    </message>
    <message>
        <source>Nothing played yet</source>
        <translation>Rien n’a encore été lu</translation>
    </message>
    <message>
        <source>Last played: %1</source>
        <translation>Dernière lecture&#xa0;: %1</translation>
    </message>
    <message>
        <source>First start after installation</source>
        <translation>Premier démarrage après l’installation</translation>
    </message>
    <message>
        <source>First start after an update</source>
        <translation>Premier démarrage après une mise à jour</translation>
    </message>
    <message>
        <source>First start after a reinstall</source>
        <translation>Premier démarrage après une réinstallation</translation>
    </message>
    <message>
        <source>Regular start</source>
        <translation>Démarrage normal</translation>
    </message>
    <message>
        <source>the previous run ended unexpectedly</source>
        <extracomment>Follows the kind of start after a semicolon, hence the small letter.</extracomment>
        <translation>la session précédente s’est terminée de façon inattendue</translation>
    </message>
    <message>
        <source>the previous run ended properly</source>
        <extracomment>Follows the kind of start after a semicolon, hence the small letter.</extracomment>
        <translation>la session précédente s’est terminée correctement</translation>
    </message>
    <message>
        <source>%1; %2</source>
        <extracomment>The kind of start, then how the previous run ended: &quot;Regular start; the previous run ended properly&quot;.</extracomment>
        <translation>%1&#xa0;; %2</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Checking for updates...</source>
        <translation>Recherche de mises à jour...</translation>
    </message>
</context>
<context>
    <name>SettingsStatusObserver</name>
    <message numerus="yes">
        <source>%n byte(s)</source>
        <translation>
            <numerusform>%n octet</numerusform>
            <numerusform>%n octets</numerusform>
        </translation>
    </message>
    <message>
        <source>on</source>
        <extracomment>A switch&apos;s state, as in &quot;Player/Shuffle changed from off to on&quot;.</extracomment>
        <translation>activé</translation>
    </message>
    <message>
        <source>off</source>
        <extracomment>A switch&apos;s state, as in &quot;Player/Shuffle changed from on to off&quot;.</extracomment>
        <translation>désactivé</translation>
    </message>
    <message>
        <source>%1 changed from %2 to %3</source>
        <translation>%1 est passé de %2 à %3</translation>
    </message>
    <message>
        <source>%1 set to %2</source>
        <translation>%1 réglé sur %2</translation>
    </message>
</context>
</TS>

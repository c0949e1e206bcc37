<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR" sourcelanguage="en_US">
<context>
    <name>AboutBoxDialog</name>
    <message>
        <source>&lt;a href=&quot;#&quot;&gt;Visit home page&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;#&quot;&gt;Visiter la page d&apos;accueil&lt;/a&gt;</translation>
    </message>
    <message>
        <source>All Rights Reserved</source>
        <translation>Tous droits réservés</translation>
    </message>
    <message>
        <source>&lt;a href=&quot;#&quot;&gt;Custom URL&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;#&quot;&gt;Lien personnalisé&lt;/a&gt;</translation>
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
        <translation>Préférer le décodage matériel</translation>
    </message>
    <message>
        <source>Disable Hardware Decoding</source>
        <translation>Désactiver le décodage matériel</translation>
    </message>
    <message>
        <source>Decode in Software Only</source>
        <translation>Décoder uniquement par logiciel</translation>
    </message>
</context>
<context>
    <name>EmailWidget</name>
    <message>
        <source>Thank you for choosing Kavrel software!</source>
        <translation>Merci d&apos;avoir choisi un logiciel Kavrel !</translation>
    </message>
    <message>
        <source>We have special
discounts for you!</source>
        <translation>Nous avons des remises
spéciales pour vous !</translation>
    </message>
    <message>
        <source>Register to get technical support, special deals and tips for making great videos.</source>
        <translation>Inscrivez-vous pour obtenir une assistance technique, des offres spéciales et des conseils pour réaliser de superbes vidéos.</translation>
    </message>
    <message>
        <source>Email:</source>
        <translation>E-mail :</translation>
    </message>
    <message>
        <source>I don&apos;t want to recieve Kavrel newsletters</source>
        <translation>Je ne souhaite pas recevoir la lettre d&apos;information Kavrel</translation>
    </message>
    <message>
        <source>You may cancel this subscription at any time.</source>
        <translation>Vous pouvez vous désabonner à tout moment.</translation>
    </message>
    <message>
        <source>No, thanks</source>
        <translation>Non, merci</translation>
    </message>
    <message>
        <source>Register and continue</source>
        <translation>S&apos;inscrire et continuer</translation>
    </message>
</context>
<context>
    <name>Kavrel::App::AboutBoxDialog</name>
    <message>
        <source>Visit homepage</source>
        <translation>Visiter le site web</translation>
    </message>
    <message>
        <source>Copyright © %1 %2</source>
        <translation>Copyright © %1 %2</translation>
    </message>
    <message>
        <source>Email address has been copied to the clipboard</source>
        <translation>L&apos;adresse e-mail a été copiée dans le presse-papiers</translation>
    </message>
</context>
<context>
    <name>Kavrel::App::ConfirmationAlertBox</name>
    <message>
        <source>Don&apos;t show this again</source>
        <translation>Ne plus afficher</translation>
    </message>
</context>
<context>
    <name>Kavrel::App::EmailWidget</name>
    <message>
        <source>Skip</source>
        <translation>Passer</translation>
    </message>
    <message>
        <source>Register now and you will be among the first to know about our special offers and sales.</source>
        <translation>Inscrivez-vous maintenant et soyez parmi les premiers informés de nos offres spéciales et de nos soldes.</translation>
    </message>
    <message>
        <source>Please enter a valid email address</source>
        <translation>Veuillez saisir une adresse e-mail valide</translation>
    </message>
</context>
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
        <translation>&amp;Page d&apos;accueil</translation>
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
        <translation type="vanished">&amp;Fichier</translation>
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
    <message>
        <source>Delete all files from the playlist?</source>
        <translation>Supprimer tous les fichiers de la liste de lecture ?</translation>
    </message>
    <message>
        <source>The files themselves stay on the disk.</source>
        <translation>Les fichiers eux-mêmes restent sur le disque.</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) deleted from the playlist.</source>
        <translation>
            <numerusform>%n fichier supprimé de la liste de lecture.</numerusform>
            <numerusform>%n fichiers supprimés de la liste de lecture.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n question(s) will be asked again.</source>
        <translation>
            <numerusform>%n question sera de nouveau posée.</numerusform>
            <numerusform>%n questions seront de nouveau posées.</numerusform>
        </translation>
    </message>
    <message>
        <source>&amp;Delete All Files...</source>
        <translation>&amp;Supprimer tous les fichiers...</translation>
    </message>
    <message>
        <source>Ask Me Again for &amp;Everything</source>
        <translation>&amp;Tout redemander</translation>
    </message>
    <message>
        <source>&amp;About %1...</source>
        <translation>À &amp;propos de %1...</translation>
    </message>
    <message>
        <source>The player&apos;s settings live in its menus.</source>
        <translation>Les réglages du lecteur se trouvent dans ses menus.</translation>
    </message>
    <message>
        <source>Pinch: %1% of the start</source>
        <translation>Pincement : %1 % du départ</translation>
    </message>
    <message>
        <source>Rotate: %1 degrees</source>
        <translation>Rotation : %1 degrés</translation>
    </message>
    <message>
        <source>&amp;Player</source>
        <translation>&amp;Lecteur</translation>
    </message>
    <message>
        <source>&amp;Preferences...</source>
        <translation>&amp;Préférences...</translation>
    </message>
    <message>
        <source>&amp;Hide Sample Player</source>
        <translation>&amp;Masquer Sample Player</translation>
    </message>
    <message>
        <source>Hide &amp;Others</source>
        <translation>Masquer les &amp;autres</translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <translation>Fe&amp;nêtre</translation>
    </message>
    <message>
        <source>&amp;Minimize</source>
        <translation>&amp;Réduire</translation>
    </message>
    <message>
        <source>&amp;Zoom</source>
        <translation>&amp;Agrandir</translation>
    </message>
    <message>
        <source>&amp;Bring All to Front</source>
        <translation>Tout ramener au &amp;premier plan</translation>
    </message>
    <message>
        <source>Run &amp;Helper</source>
        <translation>Lancer l’&amp;assistant</translation>
    </message>
    <message>
        <source>The helper said &quot;%1&quot;; answered &quot;%2&quot;</source>
        <translation>L’assistant a dit « %1 » ; réponse : « %2 »</translation>
    </message>
    <message>
        <source>The helper has closed</source>
        <translation>L’assistant s’est fermé</translation>
    </message>
    <message>
        <source>The helper is running</source>
        <translation>L’assistant est lancé</translation>
    </message>
    <message>
        <source>The helper could not be started</source>
        <translation>L’assistant n’a pas pu être lancé</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Checking for updates...</source>
        <translation>Recherche de mises à jour...</translation>
    </message>
    <message numerus="yes">
        <source>The player stopped unexpectedly at start %n times in a row. Start with the default theme and language?</source>
        <translation>
            <numerusform>Le lecteur s’est arrêté de façon inattendue au démarrage %n fois de suite. Démarrer avec le thème et la langue par défaut ?</numerusform>
            <numerusform>Le lecteur s’est arrêté de façon inattendue au démarrage %n fois de suite. Démarrer avec le thème et la langue par défaut ?</numerusform>
        </translation>
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

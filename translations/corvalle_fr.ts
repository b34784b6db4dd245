<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>AppError</name>
    <message>
        <source>Invalid procedure call or argument</source>
        <translation>Appel de procédure ou argument non valide</translation>
    </message>
    <message>
        <source>Bad file name or number</source>
        <translation>Nom ou numéro de fichier incorrect</translation>
    </message>
    <message>
        <source>File not found</source>
        <translation>Fichier introuvable</translation>
    </message>
    <message>
        <source>Device I/O error</source>
        <translation>Erreur d’entrée/sortie du périphérique</translation>
    </message>
    <message>
        <source>Disk full</source>
        <translation>Disque plein</translation>
    </message>
    <message>
        <source>Input past end of file</source>
        <translation>Lecture au-delà de la fin du fichier</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>Permission refusée</translation>
    </message>
    <message>
        <source>Path/File access error</source>
        <translation>Erreur d’accès au chemin ou au fichier</translation>
    </message>
    <message>
        <source>Path not found</source>
        <translation>Chemin introuvable</translation>
    </message>
    <message>
        <source>Invalid picture</source>
        <translation>Image non valide</translation>
    </message>
    <message>
        <source>Invalid property value</source>
        <translation>Valeur de propriété non valide</translation>
    </message>
    <message>
        <source>The file is not an MPEG audio file</source>
        <translation>Le fichier n’est pas un fichier audio MPEG</translation>
    </message>
    <message>
        <source>No sound device is available</source>
        <translation>Aucun périphérique audio n’est disponible</translation>
    </message>
    <message>
        <source>The file cannot be decoded</source>
        <translation>Le fichier ne peut pas être décodé</translation>
    </message>
    <message>
        <source>Application-defined or object-defined error</source>
        <translation>Erreur définie par l’application ou par l’objet</translation>
    </message>
    <message>
        <source>the file did not answer</source>
        <translation>le fichier ne répond pas</translation>
    </message>
    <message>
        <source>the folder did not answer</source>
        <translation>le dossier ne répond pas</translation>
    </message>
    <message>
        <source>the sound server did not answer</source>
        <translation>le serveur de son ne répond pas</translation>
    </message>
</context>
<context>
    <name>Application</name>
    <message>
        <source>Corvalle&apos;s MP3 Player</source>
        <translation>Lecteur MP3 de Corvalle</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Error Found:  </source>
        <translation>Erreur&#xa0;:  </translation>
    </message>
</context>
<context>
    <name>EqualizerWindow</name>
    <message>
        <source>%1 dB</source>
        <translation>%1 dB</translation>
    </message>
    <message>
        <source>%1k</source>
        <translation>%1k</translation>
    </message>
    <message>
        <source>Flat</source>
        <translation>Plat</translation>
    </message>
    <message>
        <source>Bass Boost</source>
        <translation>Basses renforcées</translation>
    </message>
    <message>
        <source>Treble Boost</source>
        <translation>Aigus renforcés</translation>
    </message>
    <message>
        <source>Vocal</source>
        <translation>Voix</translation>
    </message>
    <message>
        <source>Rock</source>
        <translation>Rock</translation>
    </message>
    <message>
        <source>Loudness</source>
        <translation>Loudness</translation>
    </message>
    <message>
        <source>Equalizer</source>
        <translation>Égaliseur</translation>
    </message>
    <message>
        <source>&amp;On</source>
        <translation>&amp;Actif</translation>
    </message>
    <message>
        <source>&amp;Preset:</source>
        <translation>&amp;Préréglage :</translation>
    </message>
    <message>
        <source>&amp;Save Preset</source>
        <translation>&amp;Enregistrer le préréglage</translation>
    </message>
    <message>
        <source>&amp;Import...</source>
        <translation>&amp;Importer...</translation>
    </message>
    <message>
        <source>Equalizer curve</source>
        <translation>Courbe de l&apos;égaliseur</translation>
    </message>
    <message>
        <source>Pre-amplification</source>
        <translation>Préamplification</translation>
    </message>
    <message>
        <source>Pre-amp</source>
        <translation>Préampli</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Hz</translation>
    </message>
    <message>
        <source>Use the &amp;Bands</source>
        <translation>Utiliser les &amp;bandes</translation>
    </message>
    <message>
        <source>Import a Parametric Equalizer</source>
        <translation>Importer un égaliseur paramétrique</translation>
    </message>
    <message>
        <source>Parametric equalizer (*.txt);;All files (*)</source>
        <translation>Égaliseur paramétrique (*.txt);;Tous les fichiers (*)</translation>
    </message>
    <message>
        <source>Imported correction. Filters: %1. Pre-amplification: %2.</source>
        <translation>Correction importée. Filtres : %1. Préamplification : %2.</translation>
    </message>
    <message>
        <source>Type a name for the preset first.</source>
        <translation>Saisissez d&apos;abord un nom pour le préréglage.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a built-in preset; choose another name.</source>
        <translation>« %1 » est un préréglage intégré ; choisissez un autre nom.</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>Impossible de lire %1 : %2</translation>
    </message>
    <message>
        <source>%1 is not a parametric equalizer file: it is too large.
Nothing was changed.</source>
        <translation>%1 n&apos;est pas un fichier d&apos;égaliseur paramétrique : il est trop grand.
Rien n&apos;a été modifié.</translation>
    </message>
    <message>
        <source>%1 holds no equalizer filter.
Nothing was changed.</source>
        <translation>%1 ne contient aucun filtre d&apos;égaliseur.
Rien n&apos;a été modifié.</translation>
    </message>
    <message>
        <source>%1 holds more than %2 filters (line %3).
Nothing was changed.</source>
        <translation>%1 contient plus de %2 filtres (ligne %3).
Rien n&apos;a été modifié.</translation>
    </message>
    <message>
        <source>%1 is not a parametric equalizer file: line %2 cannot be read.
Nothing was changed.</source>
        <translation>%1 n&apos;est pas un fichier d&apos;égaliseur paramétrique : la ligne %2 est illisible.
Rien n&apos;a été modifié.</translation>
    </message>
    <message>
        <source>Pre-amplification lowered by %1 dB while playing, so that no boost clips.</source>
        <translation>Préamplification abaissée de %1 dB à la lecture, pour qu’aucune accentuation ne sature.</translation>
    </message>
</context>
<context>
    <name>LevellingDialog</name>
    <message>
        <source> dB</source>
        <translation> dB</translation>
    </message>
    <message>
        <source>Volume Levelling</source>
        <translation>Normalisation du volume</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Désactivée</translation>
    </message>
    <message>
        <source>Track gain</source>
        <translation>Gain par piste</translation>
    </message>
    <message>
        <source>Album gain</source>
        <translation>Gain par album</translation>
    </message>
    <message>
        <source>Album gain unless Random</source>
        <translation>Gain par album, par piste en aléatoire</translation>
    </message>
    <message>
        <source>&amp;Levelling:</source>
        <translation>&amp;Normalisation&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Pre-amplification:</source>
        <translation>&amp;Préamplification&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Files without gain:</source>
        <translation>&amp;Fichiers sans gain&#xa0;:</translation>
    </message>
</context>
<context>
    <name>MediaPlayerBar</name>
    <message>
        <source>Play</source>
        <translation>Lecture</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Arrêt</translation>
    </message>
    <message>
        <source>Position</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>Elapsed and total time</source>
        <translation>Temps écoulé et durée totale</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
</context>
<context>
    <name>MprisService</name>
    <message>
        <source>A window of the player is open; close it first.</source>
        <translation>Une fenêtre du lecteur est ouverte&#xa0;; fermez-la d’abord.</translation>
    </message>
</context>
<context>
    <name>Playlist</name>
    <message>
        <source>Cannot read the playlist %1.</source>
        <translation>Impossible de lire la liste de lecture %1.</translation>
    </message>
    <message numerus="yes">
        <source>%n more playlists could not be read.</source>
        <translation>
            <numerusform>%n autre liste de lecture n’a pas pu être lue.</numerusform>
            <numerusform>%n autres listes de lecture n’ont pas pu être lues.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries were not added: an address is not a file on this computer.</source>
        <translation>
            <numerusform>%n entrée non ajoutée&#xa0;: une adresse n’est pas un fichier de cet ordinateur.</numerusform>
            <numerusform>%n entrées non ajoutées&#xa0;: une adresse n’est pas un fichier de cet ordinateur.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries were not added: no such file.</source>
        <translation>
            <numerusform>%n entrée non ajoutée&#xa0;: fichier introuvable.</numerusform>
            <numerusform>%n entrées non ajoutées&#xa0;: fichier introuvable.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries were not added: a line longer than %1 bytes or holding a NUL byte names no file.</source>
        <translation>
            <numerusform>%n entrée non ajoutée&#xa0;: une ligne de plus de %1 octets ou contenant un octet NUL ne désigne aucun fichier.</numerusform>
            <numerusform>%n entrées non ajoutées&#xa0;: une ligne de plus de %1 octets ou contenant un octet NUL ne désigne aucun fichier.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The playlist holds at most %1 entries: %n entries were not added.</source>
        <translation>
            <numerusform>La liste de lecture peut contenir au plus %1 entrées&#xa0;: %n entrée n’a pas été ajoutée.</numerusform>
            <numerusform>La liste de lecture peut contenir au plus %1 entrées&#xa0;: %n entrées n’ont pas été ajoutées.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries were not added: a name holding a line break cannot be stored in the playlist.</source>
        <translation>
            <numerusform>%n entrée non ajoutée&#xa0;: un nom contenant un saut de ligne ne peut pas être enregistré dans la liste de lecture.</numerusform>
            <numerusform>%n entrées non ajoutées&#xa0;: un nom contenant un saut de ligne ne peut pas être enregistré dans la liste de lecture.</numerusform>
        </translation>
    </message>
    <message>
        <source> They stay in %1 and are saved with the playlist.</source>
        <translation> Elles restent dans %1 et sont enregistrées avec la liste de lecture.</translation>
    </message>
    <message numerus="yes">
        <source>%n lines of %1 named no file (longer than %2 bytes or holding a NUL byte) and were left out; they will not be saved again.</source>
        <translation>
            <numerusform>%n ligne de %1 ne désignait aucun fichier (plus de %2 octets ou un octet NUL) et a été ignorée&#xa0;; elle ne sera plus enregistrée.</numerusform>
            <numerusform>%n lignes de %1 ne désignaient aucun fichier (plus de %2 octets ou un octet NUL) et ont été ignorées&#xa0;; elles ne seront plus enregistrées.</numerusform>
        </translation>
    </message>
    <message>
        <source>Cannot read the playlist %1: %2. It is kept as it is and will not be overwritten in this session.</source>
        <translation>Impossible de lire la liste de lecture %1&#xa0;: %2. Elle est conservée telle quelle et ne sera pas écrasée pendant cette session.</translation>
    </message>
    <message>
        <source>Cannot save the playlist: %1 could not be read at start-up and is kept as it is.</source>
        <translation>Impossible d’enregistrer la liste de lecture&#xa0;: %1 n’a pas pu être lu au démarrage et est conservé tel quel.</translation>
    </message>
    <message>
        <source>Cannot save the playlist: </source>
        <translation>Impossible d’enregistrer la liste de lecture&#xa0;: </translation>
    </message>
</context>
<context>
    <name>PlaylistModel</name>
    <message>
        <source>%1, played next (%2)</source>
        <translation>%1, lu ensuite (%2)</translation>
    </message>
</context>
<context>
    <name>SleepInhibitor</name>
    <message>
        <source>Playing music</source>
        <translation>Lecture de musique</translation>
    </message>
</context>
<context>
    <name>TrackNotifier</name>
    <message>
        <source>The sound plays on the default output</source>
        <translation>Le son passe par la sortie par défaut</translation>
    </message>
    <message>
        <source>%1 is not there.</source>
        <translation>%1 n&apos;est pas là.</translation>
    </message>
</context>
<context>
    <name>Transport</name>
    <message numerus="yes">
        <source>Playback stopped: %n files could not be played one after another.</source>
        <translation>
            <numerusform>Lecture arrêtée&#xa0;: le fichier n’a pas pu être lu.</numerusform>
            <numerusform>Lecture arrêtée&#xa0;: %n fichiers de suite n’ont pas pu être lus.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>frmEditTagInformation</name>
    <message>
        <source>Tag Update Failed</source>
        <translation>Échec de l’enregistrement de l’étiquette</translation>
    </message>
    <message>
        <source>MP3 Tag Information </source>
        <translation>Étiquette MP3 </translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titre</translation>
    </message>
    <message>
        <source>Artist</source>
        <translation>Artiste</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>Album</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>Année</translation>
    </message>
    <message>
        <source>Comment</source>
        <translation>Commentaire</translation>
    </message>
    <message>
        <source>Genre</source>
        <translation>Genre</translation>
    </message>
    <message>
        <source>Save Tag</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Cannot read the tag of %1: %2</source>
        <translation>Impossible de lire l’étiquette de %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>No tag</source>
        <translation>Aucune étiquette</translation>
    </message>
    <message>
        <source>The tag could not be read</source>
        <translation>L’étiquette n’a pas pu être lue</translation>
    </message>
    <message>
        <source>The tag&apos;s code page (Windows-%1) cannot hold some characters of %2: they will be saved as &quot;?&quot;. Save anyway?</source>
        <translation>La page de codes de l’étiquette (Windows-%1) ne peut pas contenir certains caractères de %2&#xa0;: ils seront enregistrés comme «&#xa0;?&#xa0;». Enregistrer quand même&#xa0;?</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Cannot edit %1 while the file is opened</source>
        <translation>Impossible de modifier %1 tant que le fichier est ouvert</translation>
    </message>
    <message>
        <source>The tag could not be saved to %1</source>
        <translation>L’étiquette n’a pas pu être enregistrée dans %1</translation>
    </message>
</context>
<context>
    <name>frmFileLoader</name>
    <message>
        <source>MP3 File Loader</source>
        <translation>Chargement de fichiers MP3</translation>
    </message>
    <message>
        <source>Browse and Select The Directory Where  There May Be Some MP3 Files</source>
        <translation>Choisissez le dossier qui contient des fichiers MP3</translation>
    </message>
    <message>
        <source>Find &amp; Load MP3 Files</source>
        <translation>Rechercher et charger des fichiers MP3</translation>
    </message>
    <message>
        <source>Drives &amp; Folders</source>
        <translation>Lecteurs et dossiers</translation>
    </message>
    <message>
        <source>Contents Preview</source>
        <translation>Aperçu du contenu</translation>
    </message>
    <message>
        <source>Load Directory List</source>
        <translation>Charger le dossier</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Cannot open the folder %1: %2</source>
        <translation>Impossible d’ouvrir le dossier %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Searching: 0 folders, 0 files</source>
        <translation>Recherche&#xa0;: 0 dossier, 0 fichier</translation>
    </message>
    <message>
        <source>Searching: %1 folders, %2 files</source>
        <translation>Recherche&#xa0;: %1 dossiers, %2 fichiers</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>Mémoire insuffisante</translation>
    </message>
    <message>
        <source>The search failed</source>
        <translation>La recherche a échoué</translation>
    </message>
    <message>
        <source>The files could not be added</source>
        <translation>Les fichiers n’ont pas pu être ajoutés</translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message>
        <source>TotalTime: 00:00</source>
        <translation>Durée totale&#xa0;: 00:00</translation>
    </message>
    <message>
        <source>Remaining:</source>
        <translation>Restant&#xa0;:</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>Drag and Drop Multimedia Files here</source>
        <translation>Glissez-déposez des fichiers multimédias ici</translation>
    </message>
    <message>
        <source>Playlist</source>
        <translation>Liste de lecture</translation>
    </message>
    <message>
        <source>Prev</source>
        <translation>Préc.</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Lecture</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Arrêt</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Suiv.</translation>
    </message>
    <message>
        <source>Random</source>
        <translation>Aléatoire</translation>
    </message>
    <message>
        <source>Randomize</source>
        <translation>Lecture aléatoire</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Processing</source>
        <translation>Patientez</translation>
    </message>
    <message>
        <source>Theme picture</source>
        <translation>Image du thème</translation>
    </message>
    <message>
        <source>Expand</source>
        <translation>Agrandir</translation>
    </message>
    <message>
        <source>File Info</source>
        <translation>Informations</translation>
    </message>
    <message>
        <source>Remove Entry</source>
        <translation>Retirer l’entrée</translation>
    </message>
    <message>
        <source>Load Files</source>
        <translation>Charger des fichiers</translation>
    </message>
    <message>
        <source>Edit Tag</source>
        <translation>Modifier l’étiquette</translation>
    </message>
    <message>
        <source>Export Playlist...</source>
        <translation>Exporter la liste de lecture…</translation>
    </message>
    <message>
        <source>Hide Media Player Bar</source>
        <translation>Masquer la barre de lecture</translation>
    </message>
    <message>
        <source>Set Theme</source>
        <translation>Thème</translation>
    </message>
    <message>
        <source>Theme</source>
        <translation>Choisir une image</translation>
    </message>
    <message>
        <source>Autosize</source>
        <translation>Taille automatique</translation>
    </message>
    <message>
        <source>Playback</source>
        <translation>Lecture</translation>
    </message>
    <message>
        <source>Repeat List</source>
        <translation>Répéter la liste</translation>
    </message>
    <message>
        <source>Repeat Track</source>
        <translation>Répéter la piste</translation>
    </message>
    <message>
        <source>No Repeat</source>
        <translation>Sans répétition</translation>
    </message>
    <message>
        <source>Stop After This Track</source>
        <translation>Arrêter après cette piste</translation>
    </message>
    <message>
        <source>Resume on Start</source>
        <translation>Reprendre au démarrage</translation>
    </message>
    <message>
        <source>Volume Levelling...</source>
        <translation>Normalisation du volume…</translation>
    </message>
    <message>
        <source>Cannot show the theme picture %1: %2</source>
        <translation>Impossible d’afficher l’image du thème %1&#xa0;: %2</translation>
    </message>
    <message numerus="yes">
        <source>
%n more items of Settings.dat name no picture that can be shown.</source>
        <translation>
            <numerusform>
%n autre élément de Settings.dat ne désigne aucune image affichable.</numerusform>
            <numerusform>
%n autres éléments de Settings.dat ne désignent aucune image affichable.</numerusform>
        </translation>
    </message>
    <message>
        <source>Cannot read the settings: %1</source>
        <translation>Impossible de lire les réglages&#xa0;: %1</translation>
    </message>
    <message>
        <source>Elapsed Time: </source>
        <translation>Écoulé&#xa0;: </translation>
    </message>
    <message>
        <source>Total Time: </source>
        <translation>Durée totale&#xa0;: </translation>
    </message>
    <message>
        <source>Export Playlist</source>
        <translation>Exporter la liste de lecture</translation>
    </message>
    <message>
        <source>Playlists (*.m3u8)</source>
        <translation>Listes de lecture (*.m3u8)</translation>
    </message>
    <message>
        <source>Cannot export the playlist: </source>
        <translation>Impossible d’exporter la liste de lecture&#xa0;: </translation>
    </message>
    <message>
        <source>Picture too large (%1 x %2 pixels; at most %3 MB of pixels can be shown)</source>
        <translation>Image trop grande (%1 × %2 pixels&#xa0;; au plus %3 Mo de pixels peuvent être affichés)</translation>
    </message>
    <message>
        <source>Cannot show the picture %1: %2</source>
        <translation>Impossible d’afficher l’image %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>Cannot save the settings: </source>
        <translation>Impossible d’enregistrer les réglages&#xa0;: </translation>
    </message>
    <message>
        <source>Play Next</source>
        <translation>Lire ensuite</translation>
    </message>
    <message>
        <source>Add Files...</source>
        <translation>Ajouter des fichiers...</translation>
    </message>
    <message>
        <source>Remove Missing Entries</source>
        <translation>Retirer les entrées manquantes</translation>
    </message>
    <message>
        <source>Remove Duplicates</source>
        <translation>Retirer les doublons</translation>
    </message>
    <message>
        <source>Add Files</source>
        <translation>Ajouter des fichiers</translation>
    </message>
    <message>
        <source>MP3 files and playlists (*.mp3 *.m3u *.m3u8 *.pls);;All files (*)</source>
        <translation>Fichiers MP3 et listes de lecture (*.mp3 *.m3u *.m3u8 *.pls);;Tous les fichiers (*)</translation>
    </message>
    <message numerus="yes">
        <source>%n entries name a file that is gone.</source>
        <translation>
            <numerusform>%n entrée désigne un fichier qui n&apos;existe plus.</numerusform>
            <numerusform>%n entrées désignent un fichier qui n&apos;existe plus.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries are in folders that are not there or do not answer (an unplugged drive, a share): they are kept unless you remove them too.</source>
        <translation>
            <numerusform>%n entrée se trouve dans un dossier absent ou qui ne répond pas (un disque débranché, un partage) : elle est gardée, à moins que vous ne la retiriez aussi.</numerusform>
            <numerusform>%n entrées se trouvent dans des dossiers absents ou qui ne répondent pas (un disque débranché, un partage) : elles sont gardées, à moins que vous ne les retiriez aussi.</numerusform>
        </translation>
    </message>
    <message>
        <source>Remove Those Gone</source>
        <translation>Retirer celles qui manquent</translation>
    </message>
    <message>
        <source>Remove All %1</source>
        <translation>Tout retirer (%1)</translation>
    </message>
    <message>
        <source>No entry names a file that is gone.</source>
        <translation>Aucune entrée ne désigne un fichier qui n&apos;existe plus.</translation>
    </message>
    <message numerus="yes">
        <source>%n entries removed.</source>
        <translation>
            <numerusform>%n entrée retirée.</numerusform>
            <numerusform>%n entrées retirées.</numerusform>
        </translation>
    </message>
    <message>
        <source>No entry names a file another entry names.</source>
        <translation>Aucune entrée ne désigne un fichier qu&apos;une autre désigne.</translation>
    </message>
    <message numerus="yes">
        <source>%n duplicate entries removed.</source>
        <translation>
            <numerusform>%n doublon retiré.</numerusform>
            <numerusform>%n doublons retirés.</numerusform>
        </translation>
    </message>
    <message>
        <source>Sleep Timer</source>
        <translation>Arrêt programmé</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Désactivé</translation>
    </message>
    <message numerus="yes">
        <source>%n Minutes</source>
        <translation>
            <numerusform>%n minute</numerusform>
            <numerusform>%n minutes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Sleep Timer (%n min left)</source>
        <translation>
            <numerusform>Arrêt programmé (%n min restante)</numerusform>
            <numerusform>Arrêt programmé (%n min restantes)</numerusform>
        </translation>
    </message>
    <message>
        <source>Equalizer...</source>
        <translation>Égaliseur...</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Sortie</translation>
    </message>
    <message>
        <source>Follow the System</source>
        <translation>Comme le système</translation>
    </message>
    <message>
        <source>%1 (not there)</source>
        <translation>%1 (absente)</translation>
    </message>
</context>
</TS>

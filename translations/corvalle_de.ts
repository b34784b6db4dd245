<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AppError</name>
    <message>
        <source>Invalid procedure call or argument</source>
        <translation>Ungültiger Prozeduraufruf oder ungültiges Argument</translation>
    </message>
    <message>
        <source>Bad file name or number</source>
        <translation>Ungültiger Dateiname oder ungültige Dateinummer</translation>
    </message>
    <message>
        <source>File not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>Device I/O error</source>
        <translation>Ein-/Ausgabefehler des Geräts</translation>
    </message>
    <message>
        <source>Disk full</source>
        <translation>Datenträger voll</translation>
    </message>
    <message>
        <source>Input past end of file</source>
        <translation>Lesen über das Dateiende hinaus</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
    <message>
        <source>Path/File access error</source>
        <translation>Fehler beim Zugriff auf Pfad oder Datei</translation>
    </message>
    <message>
        <source>Path not found</source>
        <translation>Pfad nicht gefunden</translation>
    </message>
    <message>
        <source>Invalid picture</source>
        <translation>Ungültiges Bild</translation>
    </message>
    <message>
        <source>Invalid property value</source>
        <translation>Ungültiger Eigenschaftswert</translation>
    </message>
    <message>
        <source>The file is not an MPEG audio file</source>
        <translation>Die Datei ist keine MPEG-Audiodatei</translation>
    </message>
    <message>
        <source>No sound device is available</source>
        <translation>Kein Audiogerät verfügbar</translation>
    </message>
    <message>
        <source>The file cannot be decoded</source>
        <translation>Die Datei kann nicht dekodiert werden</translation>
    </message>
    <message>
        <source>Application-defined or object-defined error</source>
        <translation>Anwendungs- oder objektdefinierter Fehler</translation>
    </message>
    <message>
        <source>the file did not answer</source>
        <translation>die Datei antwortet nicht</translation>
    </message>
    <message>
        <source>the folder did not answer</source>
        <translation>der Ordner antwortet nicht</translation>
    </message>
    <message>
        <source>the sound server did not answer</source>
        <translation>der Soundserver antwortet nicht</translation>
    </message>
</context>
<context>
    <name>Application</name>
    <message>
        <source>Corvalle&apos;s MP3 Player</source>
        <translation>Corvalles MP3-Player</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Error Found:  </source>
        <translation>Fehler:  </translation>
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
        <translation>Linear</translation>
    </message>
    <message>
        <source>Bass Boost</source>
        <translation>Bässe betont</translation>
    </message>
    <message>
        <source>Treble Boost</source>
        <translation>Höhen betont</translation>
    </message>
    <message>
        <source>Vocal</source>
        <translation>Stimme</translation>
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
        <translation>Equalizer</translation>
    </message>
    <message>
        <source>&amp;On</source>
        <translation>&amp;Ein</translation>
    </message>
    <message>
        <source>&amp;Preset:</source>
        <translation>&amp;Voreinstellung:</translation>
    </message>
    <message>
        <source>&amp;Save Preset</source>
        <translation>Voreinstellung &amp;speichern</translation>
    </message>
    <message>
        <source>&amp;Import...</source>
        <translation>&amp;Importieren...</translation>
    </message>
    <message>
        <source>Equalizer curve</source>
        <translation>Equalizer-Kurve</translation>
    </message>
    <message>
        <source>Pre-amplification</source>
        <translation>Vorverstärkung</translation>
    </message>
    <message>
        <source>Pre-amp</source>
        <translation>Vorverst.</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Hz</translation>
    </message>
    <message>
        <source>Use the &amp;Bands</source>
        <translation>&amp;Bänder verwenden</translation>
    </message>
    <message>
        <source>Import a Parametric Equalizer</source>
        <translation>Parametrischen Equalizer importieren</translation>
    </message>
    <message>
        <source>Parametric equalizer (*.txt);;All files (*)</source>
        <translation>Parametrischer Equalizer (*.txt);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Imported correction. Filters: %1. Pre-amplification: %2.</source>
        <translation>Importierte Korrektur. Filter: %1. Vorverstärkung: %2.</translation>
    </message>
    <message>
        <source>Type a name for the preset first.</source>
        <translation>Geben Sie zuerst einen Namen für die Voreinstellung ein.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a built-in preset; choose another name.</source>
        <translation>„%1“ ist eine eingebaute Voreinstellung; wählen Sie einen anderen Namen.</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>%1 is not a parametric equalizer file: it is too large.
Nothing was changed.</source>
        <translation>%1 ist keine Datei eines parametrischen Equalizers: Sie ist zu groß.
Nichts wurde geändert.</translation>
    </message>
    <message>
        <source>%1 holds no equalizer filter.
Nothing was changed.</source>
        <translation>%1 enthält keinen Equalizer-Filter.
Nichts wurde geändert.</translation>
    </message>
    <message>
        <source>%1 holds more than %2 filters (line %3).
Nothing was changed.</source>
        <translation>%1 enthält mehr als %2 Filter (Zeile %3).
Nichts wurde geändert.</translation>
    </message>
    <message>
        <source>%1 is not a parametric equalizer file: line %2 cannot be read.
Nothing was changed.</source>
        <translation>%1 ist keine Datei eines parametrischen Equalizers: Zeile %2 kann nicht gelesen werden.
Nichts wurde geändert.</translation>
    </message>
    <message>
        <source>Pre-amplification lowered by %1 dB while playing, so that no boost clips.</source>
        <translation>Vorverstärkung beim Abspielen um %1 dB gesenkt, damit keine Anhebung übersteuert.</translation>
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
        <translation>Lautstärkeangleichung</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message>
        <source>Track gain</source>
        <translation>Titelverstärkung</translation>
    </message>
    <message>
        <source>Album gain</source>
        <translation>Albumverstärkung</translation>
    </message>
    <message>
        <source>Album gain unless Random</source>
        <translation>Albumverstärkung, bei Zufall Titel</translation>
    </message>
    <message>
        <source>&amp;Levelling:</source>
        <translation>&amp;Angleichung:</translation>
    </message>
    <message>
        <source>&amp;Pre-amplification:</source>
        <translation>&amp;Vorverstärkung:</translation>
    </message>
    <message>
        <source>&amp;Files without gain:</source>
        <translation>Dateien &amp;ohne ReplayGain:</translation>
    </message>
</context>
<context>
    <name>MediaPlayerBar</name>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Position</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>Elapsed and total time</source>
        <translation>Verstrichene und gesamte Zeit</translation>
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
        <translation>Ein Fenster des Players ist geöffnet; bitte zuerst schließen.</translation>
    </message>
</context>
<context>
    <name>Playlist</name>
    <message>
        <source>Cannot read the playlist %1.</source>
        <translation>Die Wiedergabeliste %1 kann nicht gelesen werden.</translation>
    </message>
    <message numerus="yes">
        <source>%n more playlists could not be read.</source>
        <translation>
            <numerusform>%n weitere Wiedergabeliste konnte nicht gelesen werden.</numerusform>
            <numerusform>%n weitere Wiedergabelisten konnten nicht gelesen werden.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries were not added: an address is not a file on this computer.</source>
        <translation>
            <numerusform>%n Eintrag nicht hinzugefügt: Die Adresse ist keine Datei auf diesem Computer.</numerusform>
            <numerusform>%n Einträge nicht hinzugefügt: Eine Adresse ist keine Datei auf diesem Computer.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries were not added: no such file.</source>
        <translation>
            <numerusform>%n Eintrag nicht hinzugefügt: Die Datei existiert nicht.</numerusform>
            <numerusform>%n Einträge nicht hinzugefügt: Die Datei existiert nicht.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries were not added: a line longer than %1 bytes or holding a NUL byte names no file.</source>
        <translation>
            <numerusform>%n Eintrag nicht hinzugefügt: Eine Zeile mit mehr als %1 Bytes oder mit einem NUL-Byte benennt keine Datei.</numerusform>
            <numerusform>%n Einträge nicht hinzugefügt: Eine Zeile mit mehr als %1 Bytes oder mit einem NUL-Byte benennt keine Datei.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The playlist holds at most %1 entries: %n entries were not added.</source>
        <translation>
            <numerusform>Die Wiedergabeliste fasst höchstens %1 Einträge: %n Eintrag wurde nicht hinzugefügt.</numerusform>
            <numerusform>Die Wiedergabeliste fasst höchstens %1 Einträge: %n Einträge wurden nicht hinzugefügt.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries were not added: a name holding a line break cannot be stored in the playlist.</source>
        <translation>
            <numerusform>%n Eintrag nicht hinzugefügt: Ein Name mit Zeilenumbruch kann nicht in der Wiedergabeliste gespeichert werden.</numerusform>
            <numerusform>%n Einträge nicht hinzugefügt: Ein Name mit Zeilenumbruch kann nicht in der Wiedergabeliste gespeichert werden.</numerusform>
        </translation>
    </message>
    <message>
        <source> They stay in %1 and are saved with the playlist.</source>
        <translation> Sie bleiben in %1 und werden mit der Wiedergabeliste gespeichert.</translation>
    </message>
    <message numerus="yes">
        <source>%n lines of %1 named no file (longer than %2 bytes or holding a NUL byte) and were left out; they will not be saved again.</source>
        <translation>
            <numerusform>%n Zeile von %1 benennt keine Datei (länger als %2 Bytes oder mit einem NUL-Byte) und wurde ausgelassen; sie wird nicht wieder gespeichert.</numerusform>
            <numerusform>%n Zeilen von %1 benennen keine Datei (länger als %2 Bytes oder mit einem NUL-Byte) und wurden ausgelassen; sie werden nicht wieder gespeichert.</numerusform>
        </translation>
    </message>
    <message>
        <source>Cannot read the playlist %1: %2. It is kept as it is and will not be overwritten in this session.</source>
        <translation>Die Wiedergabeliste %1 kann nicht gelesen werden: %2. Sie bleibt unverändert und wird in dieser Sitzung nicht überschrieben.</translation>
    </message>
    <message>
        <source>Cannot save the playlist: %1 could not be read at start-up and is kept as it is.</source>
        <translation>Die Wiedergabeliste kann nicht gespeichert werden: %1 war beim Start nicht lesbar und bleibt unverändert.</translation>
    </message>
    <message>
        <source>Cannot save the playlist: </source>
        <translation>Die Wiedergabeliste kann nicht gespeichert werden: </translation>
    </message>
</context>
<context>
    <name>PlaylistModel</name>
    <message>
        <source>%1, played next (%2)</source>
        <translation>%1, als Nächstes gespielt (%2)</translation>
    </message>
</context>
<context>
    <name>SleepInhibitor</name>
    <message>
        <source>Playing music</source>
        <translation>Musikwiedergabe</translation>
    </message>
</context>
<context>
    <name>TrackNotifier</name>
    <message>
        <source>The sound plays on the default output</source>
        <translation>Der Ton läuft über die Standardausgabe</translation>
    </message>
    <message>
        <source>%1 is not there.</source>
        <translation>%1 ist nicht vorhanden.</translation>
    </message>
</context>
<context>
    <name>Transport</name>
    <message numerus="yes">
        <source>Playback stopped: %n files could not be played one after another.</source>
        <translation>
            <numerusform>Wiedergabe angehalten: Die Datei konnte nicht abgespielt werden.</numerusform>
            <numerusform>Wiedergabe angehalten: %n Dateien nacheinander konnten nicht abgespielt werden.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>frmEditTagInformation</name>
    <message>
        <source>Tag Update Failed</source>
        <translation>Tag nicht gespeichert</translation>
    </message>
    <message>
        <source>MP3 Tag Information </source>
        <translation>MP3-Tag-Informationen </translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Artist</source>
        <translation>Interpret</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>Album</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>Jahr</translation>
    </message>
    <message>
        <source>Comment</source>
        <translation>Kommentar</translation>
    </message>
    <message>
        <source>Genre</source>
        <translation>Genre</translation>
    </message>
    <message>
        <source>Save Tag</source>
        <translation>Tag speichern</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Cannot read the tag of %1: %2</source>
        <translation>Das Tag von %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>No tag</source>
        <translation>Kein Tag</translation>
    </message>
    <message>
        <source>The tag could not be read</source>
        <translation>Das Tag konnte nicht gelesen werden</translation>
    </message>
    <message>
        <source>The tag&apos;s code page (Windows-%1) cannot hold some characters of %2: they will be saved as &quot;?&quot;. Save anyway?</source>
        <translation>Die Codepage des Tags (Windows-%1) kann einige Zeichen von %2 nicht darstellen: Sie werden als „?“ gespeichert. Trotzdem speichern?</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Cannot edit %1 while the file is opened</source>
        <translation>%1 kann nicht bearbeitet werden, solange die Datei geöffnet ist</translation>
    </message>
    <message>
        <source>The tag could not be saved to %1</source>
        <translation>Das Tag konnte nicht in %1 gespeichert werden</translation>
    </message>
</context>
<context>
    <name>frmFileLoader</name>
    <message>
        <source>MP3 File Loader</source>
        <translation>MP3-Dateien laden</translation>
    </message>
    <message>
        <source>Browse and Select The Directory Where  There May Be Some MP3 Files</source>
        <translation>Wählen Sie den Ordner, in dem sich MP3-Dateien befinden</translation>
    </message>
    <message>
        <source>Find &amp; Load MP3 Files</source>
        <translation>MP3-Dateien suchen und laden</translation>
    </message>
    <message>
        <source>Drives &amp; Folders</source>
        <translation>Laufwerke und Ordner</translation>
    </message>
    <message>
        <source>Contents Preview</source>
        <translation>Inhaltsvorschau</translation>
    </message>
    <message>
        <source>Load Directory List</source>
        <translation>Ordner laden</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Cannot open the folder %1: %2</source>
        <translation>Der Ordner %1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Searching: 0 folders, 0 files</source>
        <translation>Suche: 0 Ordner, 0 Dateien</translation>
    </message>
    <message>
        <source>Searching: %1 folders, %2 files</source>
        <translation>Suche: %1 Ordner, %2 Dateien</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>Nicht genügend Speicher</translation>
    </message>
    <message>
        <source>The search failed</source>
        <translation>Die Suche ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>The files could not be added</source>
        <translation>Die Dateien konnten nicht hinzugefügt werden</translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message>
        <source>TotalTime: 00:00</source>
        <translation>Gesamtzeit: 00:00</translation>
    </message>
    <message>
        <source>Remaining:</source>
        <translation>Verbleibend:</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Lautstärke</translation>
    </message>
    <message>
        <source>Drag and Drop Multimedia Files here</source>
        <translation>Mediendateien hierher ziehen</translation>
    </message>
    <message>
        <source>Playlist</source>
        <translation>Wiedergabeliste</translation>
    </message>
    <message>
        <source>Prev</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>Random</source>
        <translation>Zufall</translation>
    </message>
    <message>
        <source>Randomize</source>
        <translation>Zufällige Reihenfolge</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Processing</source>
        <translation>Bitte warten</translation>
    </message>
    <message>
        <source>Theme picture</source>
        <translation>Designbild</translation>
    </message>
    <message>
        <source>Expand</source>
        <translation>Erweitern</translation>
    </message>
    <message>
        <source>File Info</source>
        <translation>Dateiinfo</translation>
    </message>
    <message>
        <source>Remove Entry</source>
        <translation>Eintrag entfernen</translation>
    </message>
    <message>
        <source>Load Files</source>
        <translation>Dateien laden</translation>
    </message>
    <message>
        <source>Edit Tag</source>
        <translation>Tag bearbeiten</translation>
    </message>
    <message>
        <source>Export Playlist...</source>
        <translation>Wiedergabeliste exportieren …</translation>
    </message>
    <message>
        <source>Hide Media Player Bar</source>
        <translation>Wiedergabeleiste ausblenden</translation>
    </message>
    <message>
        <source>Set Theme</source>
        <translation>Design festlegen</translation>
    </message>
    <message>
        <source>Theme</source>
        <translation>Design</translation>
    </message>
    <message>
        <source>Autosize</source>
        <translation>Automatische Größe</translation>
    </message>
    <message>
        <source>Playback</source>
        <translation>Wiedergabe</translation>
    </message>
    <message>
        <source>Repeat List</source>
        <translation>Liste wiederholen</translation>
    </message>
    <message>
        <source>Repeat Track</source>
        <translation>Titel wiederholen</translation>
    </message>
    <message>
        <source>No Repeat</source>
        <translation>Nicht wiederholen</translation>
    </message>
    <message>
        <source>Stop After This Track</source>
        <translation>Nach diesem Titel anhalten</translation>
    </message>
    <message>
        <source>Resume on Start</source>
        <translation>Beim Start fortsetzen</translation>
    </message>
    <message>
        <source>Volume Levelling...</source>
        <translation>Lautstärkeangleichung …</translation>
    </message>
    <message>
        <source>Cannot show the theme picture %1: %2</source>
        <translation>Das Designbild %1 kann nicht angezeigt werden: %2</translation>
    </message>
    <message numerus="yes">
        <source>
%n more items of Settings.dat name no picture that can be shown.</source>
        <translation>
            <numerusform>
%n weiterer Eintrag in Settings.dat benennt kein anzeigbares Bild.</numerusform>
            <numerusform>
%n weitere Einträge in Settings.dat benennen kein anzeigbares Bild.</numerusform>
        </translation>
    </message>
    <message>
        <source>Cannot read the settings: %1</source>
        <translation>Die Einstellungen können nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>Elapsed Time: </source>
        <translation>Verstrichen: </translation>
    </message>
    <message>
        <source>Total Time: </source>
        <translation>Gesamtzeit: </translation>
    </message>
    <message>
        <source>Export Playlist</source>
        <translation>Wiedergabeliste exportieren</translation>
    </message>
    <message>
        <source>Playlists (*.m3u8)</source>
        <translation>Wiedergabelisten (*.m3u8)</translation>
    </message>
    <message>
        <source>Cannot export the playlist: </source>
        <translation>Die Wiedergabeliste kann nicht exportiert werden: </translation>
    </message>
    <message>
        <source>Picture too large (%1 x %2 pixels; at most %3 MB of pixels can be shown)</source>
        <translation>Bild zu groß (%1 × %2 Pixel; höchstens %3 MB an Bildpunkten können angezeigt werden)</translation>
    </message>
    <message>
        <source>Cannot show the picture %1: %2</source>
        <translation>Das Bild %1 kann nicht angezeigt werden: %2</translation>
    </message>
    <message>
        <source>Cannot save the settings: </source>
        <translation>Die Einstellungen können nicht gespeichert werden: </translation>
    </message>
    <message>
        <source>Play Next</source>
        <translation>Als Nächstes spielen</translation>
    </message>
    <message>
        <source>Add Files...</source>
        <translation>Dateien hinzufügen...</translation>
    </message>
    <message>
        <source>Remove Missing Entries</source>
        <translation>Fehlende Einträge entfernen</translation>
    </message>
    <message>
        <source>Remove Duplicates</source>
        <translation>Doppelte Einträge entfernen</translation>
    </message>
    <message>
        <source>Add Files</source>
        <translation>Dateien hinzufügen</translation>
    </message>
    <message>
        <source>MP3 files and playlists (*.mp3 *.m3u *.m3u8 *.pls);;All files (*)</source>
        <translation>MP3-Dateien und Wiedergabelisten (*.mp3 *.m3u *.m3u8 *.pls);;Alle Dateien (*)</translation>
    </message>
    <message numerus="yes">
        <source>%n entries name a file that is gone.</source>
        <translation>
            <numerusform>%n Eintrag nennt eine Datei, die es nicht mehr gibt.</numerusform>
            <numerusform>%n Einträge nennen eine Datei, die es nicht mehr gibt.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries are in folders that are not there or do not answer (an unplugged drive, a share): they are kept unless you remove them too.</source>
        <translation>
            <numerusform>%n Eintrag liegt in einem Ordner, der nicht da ist oder nicht antwortet (ein abgezogenes Laufwerk, eine Freigabe): er bleibt, wenn Sie ihn nicht mit entfernen.</numerusform>
            <numerusform>%n Einträge liegen in Ordnern, die nicht da sind oder nicht antworten (ein abgezogenes Laufwerk, eine Freigabe): sie bleiben, wenn Sie sie nicht mit entfernen.</numerusform>
        </translation>
    </message>
    <message>
        <source>Remove Those Gone</source>
        <translation>Nur die fehlenden entfernen</translation>
    </message>
    <message>
        <source>Remove All %1</source>
        <translation>Alle %1 entfernen</translation>
    </message>
    <message>
        <source>No entry names a file that is gone.</source>
        <translation>Kein Eintrag nennt eine Datei, die es nicht mehr gibt.</translation>
    </message>
    <message numerus="yes">
        <source>%n entries removed.</source>
        <translation>
            <numerusform>%n Eintrag entfernt.</numerusform>
            <numerusform>%n Einträge entfernt.</numerusform>
        </translation>
    </message>
    <message>
        <source>No entry names a file another entry names.</source>
        <translation>Kein Eintrag nennt eine Datei, die ein anderer Eintrag nennt.</translation>
    </message>
    <message numerus="yes">
        <source>%n duplicate entries removed.</source>
        <translation>
            <numerusform>%n doppelter Eintrag entfernt.</numerusform>
            <numerusform>%n doppelte Einträge entfernt.</numerusform>
        </translation>
    </message>
    <message>
        <source>Sleep Timer</source>
        <translation>Einschlaf-Timer</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message numerus="yes">
        <source>%n Minutes</source>
        <translation>
            <numerusform>%n Minute</numerusform>
            <numerusform>%n Minuten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Sleep Timer (%n min left)</source>
        <translation>
            <numerusform>Einschlaf-Timer (noch %n Min.)</numerusform>
            <numerusform>Einschlaf-Timer (noch %n Min.)</numerusform>
        </translation>
    </message>
    <message>
        <source>Equalizer...</source>
        <translation>Equalizer...</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Ausgabe</translation>
    </message>
    <message>
        <source>Follow the System</source>
        <translation>Wie das System</translation>
    </message>
    <message>
        <source>%1 (not there)</source>
        <translation>%1 (nicht vorhanden)</translation>
    </message>
</context>
</TS>

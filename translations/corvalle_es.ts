<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
<context>
    <name>AppError</name>
    <message>
        <source>Invalid procedure call or argument</source>
        <translation>Llamada a procedimiento o argumento no válidos</translation>
    </message>
    <message>
        <source>Bad file name or number</source>
        <translation>Nombre o número de archivo incorrecto</translation>
    </message>
    <message>
        <source>File not found</source>
        <translation>No se encontró el archivo</translation>
    </message>
    <message>
        <source>Device I/O error</source>
        <translation>Error de entrada/salida del dispositivo</translation>
    </message>
    <message>
        <source>Disk full</source>
        <translation>Disco lleno</translation>
    </message>
    <message>
        <source>Input past end of file</source>
        <translation>Lectura más allá del final del archivo</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>Permiso denegado</translation>
    </message>
    <message>
        <source>Path/File access error</source>
        <translation>Error de acceso a la ruta o al archivo</translation>
    </message>
    <message>
        <source>Path not found</source>
        <translation>No se encontró la ruta</translation>
    </message>
    <message>
        <source>Invalid picture</source>
        <translation>Imagen no válida</translation>
    </message>
    <message>
        <source>Invalid property value</source>
        <translation>Valor de propiedad no válido</translation>
    </message>
    <message>
        <source>The file is not an MPEG audio file</source>
        <translation>El archivo no es un archivo de audio MPEG</translation>
    </message>
    <message>
        <source>No sound device is available</source>
        <translation>No hay ningún dispositivo de sonido disponible</translation>
    </message>
    <message>
        <source>The file cannot be decoded</source>
        <translation>No se puede decodificar el archivo</translation>
    </message>
    <message>
        <source>Application-defined or object-defined error</source>
        <translation>Error definido por la aplicación o por el objeto</translation>
    </message>
    <message>
        <source>the file did not answer</source>
        <translation>el archivo no responde</translation>
    </message>
    <message>
        <source>the folder did not answer</source>
        <translation>la carpeta no responde</translation>
    </message>
    <message>
        <source>the sound server did not answer</source>
        <translation>el servidor de sonido no responde</translation>
    </message>
</context>
<context>
    <name>Application</name>
    <message>
        <source>Corvalle&apos;s MP3 Player</source>
        <translation>Reproductor MP3 de Corvalle</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Error Found:  </source>
        <translation>Error:  </translation>
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
        <translation>Plano</translation>
    </message>
    <message>
        <source>Bass Boost</source>
        <translation>Graves realzados</translation>
    </message>
    <message>
        <source>Treble Boost</source>
        <translation>Agudos realzados</translation>
    </message>
    <message>
        <source>Vocal</source>
        <translation>Voz</translation>
    </message>
    <message>
        <source>Rock</source>
        <translation>Rock</translation>
    </message>
    <message>
        <source>Loudness</source>
        <translation>Sonoridad</translation>
    </message>
    <message>
        <source>Equalizer</source>
        <translation>Ecualizador</translation>
    </message>
    <message>
        <source>&amp;On</source>
        <translation>&amp;Activado</translation>
    </message>
    <message>
        <source>&amp;Preset:</source>
        <translation>&amp;Preajuste:</translation>
    </message>
    <message>
        <source>&amp;Save Preset</source>
        <translation>&amp;Guardar preajuste</translation>
    </message>
    <message>
        <source>&amp;Import...</source>
        <translation>&amp;Importar...</translation>
    </message>
    <message>
        <source>Equalizer curve</source>
        <translation>Curva del ecualizador</translation>
    </message>
    <message>
        <source>Pre-amplification</source>
        <translation>Preamplificación</translation>
    </message>
    <message>
        <source>Pre-amp</source>
        <translation>Preamp.</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Hz</translation>
    </message>
    <message>
        <source>Use the &amp;Bands</source>
        <translation>Usar las &amp;bandas</translation>
    </message>
    <message>
        <source>Import a Parametric Equalizer</source>
        <translation>Importar un ecualizador paramétrico</translation>
    </message>
    <message>
        <source>Parametric equalizer (*.txt);;All files (*)</source>
        <translation>Ecualizador paramétrico (*.txt);;Todos los archivos (*)</translation>
    </message>
    <message>
        <source>Imported correction. Filters: %1. Pre-amplification: %2.</source>
        <translation>Corrección importada. Filtros: %1. Preamplificación: %2.</translation>
    </message>
    <message>
        <source>Type a name for the preset first.</source>
        <translation>Escriba primero un nombre para el preajuste.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a built-in preset; choose another name.</source>
        <translation>«%1» es un preajuste incorporado; elija otro nombre.</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>No se puede leer %1: %2</translation>
    </message>
    <message>
        <source>%1 is not a parametric equalizer file: it is too large.
Nothing was changed.</source>
        <translation>%1 no es un archivo de ecualizador paramétrico: es demasiado grande.
No se ha cambiado nada.</translation>
    </message>
    <message>
        <source>%1 holds no equalizer filter.
Nothing was changed.</source>
        <translation>%1 no contiene ningún filtro de ecualizador.
No se ha cambiado nada.</translation>
    </message>
    <message>
        <source>%1 holds more than %2 filters (line %3).
Nothing was changed.</source>
        <translation>%1 contiene más de %2 filtros (línea %3).
No se ha cambiado nada.</translation>
    </message>
    <message>
        <source>%1 is not a parametric equalizer file: line %2 cannot be read.
Nothing was changed.</source>
        <translation>%1 no es un archivo de ecualizador paramétrico: no se puede leer la línea %2.
No se ha cambiado nada.</translation>
    </message>
    <message>
        <source>Pre-amplification lowered by %1 dB while playing, so that no boost clips.</source>
        <translation>Preamplificación reducida %1 dB al reproducir, para que ningún realce sature.</translation>
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
        <translation>Normalización del volumen</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Desactivada</translation>
    </message>
    <message>
        <source>Track gain</source>
        <translation>Ganancia de la pista</translation>
    </message>
    <message>
        <source>Album gain</source>
        <translation>Ganancia del álbum</translation>
    </message>
    <message>
        <source>Album gain unless Random</source>
        <translation>Ganancia del álbum, de la pista en aleatorio</translation>
    </message>
    <message>
        <source>&amp;Levelling:</source>
        <translation>&amp;Normalización:</translation>
    </message>
    <message>
        <source>&amp;Pre-amplification:</source>
        <translation>&amp;Preamplificación:</translation>
    </message>
    <message>
        <source>&amp;Files without gain:</source>
        <translation>&amp;Archivos sin ganancia:</translation>
    </message>
</context>
<context>
    <name>MediaPlayerBar</name>
    <message>
        <source>Play</source>
        <translation>Reproducir</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Detener</translation>
    </message>
    <message>
        <source>Position</source>
        <translation>Posición</translation>
    </message>
    <message>
        <source>Elapsed and total time</source>
        <translation>Tiempo transcurrido y total</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pausa</translation>
    </message>
</context>
<context>
    <name>MprisService</name>
    <message>
        <source>A window of the player is open; close it first.</source>
        <translation>Hay una ventana del reproductor abierta; ciérrela primero.</translation>
    </message>
</context>
<context>
    <name>Playlist</name>
    <message>
        <source>Cannot read the playlist %1.</source>
        <translation>No se puede leer la lista de reproducción %1.</translation>
    </message>
    <message numerus="yes">
        <source>%n more playlists could not be read.</source>
        <translation>
            <numerusform>No se pudo leer %n lista de reproducción más.</numerusform>
            <numerusform>No se pudieron leer %n listas de reproducción más.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries were not added: an address is not a file on this computer.</source>
        <translation>
            <numerusform>No se añadió %n entrada: una dirección no es un archivo de este equipo.</numerusform>
            <numerusform>No se añadieron %n entradas: una dirección no es un archivo de este equipo.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries were not added: no such file.</source>
        <translation>
            <numerusform>No se añadió %n entrada: el archivo no existe.</numerusform>
            <numerusform>No se añadieron %n entradas: el archivo no existe.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries were not added: a line longer than %1 bytes or holding a NUL byte names no file.</source>
        <translation>
            <numerusform>No se añadió %n entrada: una línea de más de %1 bytes o con un byte NUL no corresponde a ningún archivo.</numerusform>
            <numerusform>No se añadieron %n entradas: una línea de más de %1 bytes o con un byte NUL no corresponde a ningún archivo.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The playlist holds at most %1 entries: %n entries were not added.</source>
        <translation>
            <numerusform>La lista de reproducción admite como máximo %1 entradas: no se añadió %n entrada.</numerusform>
            <numerusform>La lista de reproducción admite como máximo %1 entradas: no se añadieron %n entradas.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries were not added: a name holding a line break cannot be stored in the playlist.</source>
        <translation>
            <numerusform>No se añadió %n entrada: un nombre con un salto de línea no se puede guardar en la lista de reproducción.</numerusform>
            <numerusform>No se añadieron %n entradas: un nombre con un salto de línea no se puede guardar en la lista de reproducción.</numerusform>
        </translation>
    </message>
    <message>
        <source> They stay in %1 and are saved with the playlist.</source>
        <translation> Permanecen en %1 y se guardan con la lista de reproducción.</translation>
    </message>
    <message numerus="yes">
        <source>%n lines of %1 named no file (longer than %2 bytes or holding a NUL byte) and were left out; they will not be saved again.</source>
        <translation>
            <numerusform>%n línea de %1 no correspondía a ningún archivo (más de %2 bytes o con un byte NUL) y se omitió; no se volverá a guardar.</numerusform>
            <numerusform>%n líneas de %1 no correspondían a ningún archivo (más de %2 bytes o con un byte NUL) y se omitieron; no se volverán a guardar.</numerusform>
        </translation>
    </message>
    <message>
        <source>Cannot read the playlist %1: %2. It is kept as it is and will not be overwritten in this session.</source>
        <translation>No se puede leer la lista de reproducción %1: %2. Se conserva tal cual y no se sobrescribirá en esta sesión.</translation>
    </message>
    <message>
        <source>Cannot save the playlist: %1 could not be read at start-up and is kept as it is.</source>
        <translation>No se puede guardar la lista de reproducción: %1 no se pudo leer al iniciar y se conserva tal cual.</translation>
    </message>
    <message>
        <source>Cannot save the playlist: </source>
        <translation>No se puede guardar la lista de reproducción: </translation>
    </message>
</context>
<context>
    <name>PlaylistModel</name>
    <message>
        <source>%1, played next (%2)</source>
        <translation>%1, se reproduce a continuación (%2)</translation>
    </message>
</context>
<context>
    <name>SleepInhibitor</name>
    <message>
        <source>Playing music</source>
        <translation>Reproduciendo música</translation>
    </message>
</context>
<context>
    <name>TrackNotifier</name>
    <message>
        <source>The sound plays on the default output</source>
        <translation>El sonido sale por la salida predeterminada</translation>
    </message>
    <message>
        <source>%1 is not there.</source>
        <translation>%1 no está disponible.</translation>
    </message>
</context>
<context>
    <name>Transport</name>
    <message numerus="yes">
        <source>Playback stopped: %n files could not be played one after another.</source>
        <translation>
            <numerusform>Reproducción detenida: no se pudo reproducir el archivo.</numerusform>
            <numerusform>Reproducción detenida: no se pudieron reproducir %n archivos seguidos.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>frmEditTagInformation</name>
    <message>
        <source>Tag Update Failed</source>
        <translation>No se pudo guardar la etiqueta</translation>
    </message>
    <message>
        <source>MP3 Tag Information </source>
        <translation>Etiqueta MP3 </translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Título</translation>
    </message>
    <message>
        <source>Artist</source>
        <translation>Artista</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>Álbum</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>Año</translation>
    </message>
    <message>
        <source>Comment</source>
        <translation>Comentario</translation>
    </message>
    <message>
        <source>Genre</source>
        <translation>Género</translation>
    </message>
    <message>
        <source>Save Tag</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Cannot read the tag of %1: %2</source>
        <translation>No se puede leer la etiqueta de %1: %2</translation>
    </message>
    <message>
        <source>No tag</source>
        <translation>Sin etiqueta</translation>
    </message>
    <message>
        <source>The tag could not be read</source>
        <translation>No se pudo leer la etiqueta</translation>
    </message>
    <message>
        <source>The tag&apos;s code page (Windows-%1) cannot hold some characters of %2: they will be saved as &quot;?&quot;. Save anyway?</source>
        <translation>La página de códigos de la etiqueta (Windows-%1) no admite algunos caracteres de %2: se guardarán como «?». ¿Guardar de todos modos?</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>Cannot edit %1 while the file is opened</source>
        <translation>No se puede editar %1 mientras el archivo está abierto</translation>
    </message>
    <message>
        <source>The tag could not be saved to %1</source>
        <translation>No se pudo guardar la etiqueta en %1</translation>
    </message>
</context>
<context>
    <name>frmFileLoader</name>
    <message>
        <source>MP3 File Loader</source>
        <translation>Cargar archivos MP3</translation>
    </message>
    <message>
        <source>Browse and Select The Directory Where  There May Be Some MP3 Files</source>
        <translation>Elija la carpeta donde haya archivos MP3</translation>
    </message>
    <message>
        <source>Find &amp; Load MP3 Files</source>
        <translation>Buscar y cargar archivos MP3</translation>
    </message>
    <message>
        <source>Drives &amp; Folders</source>
        <translation>Unidades y carpetas</translation>
    </message>
    <message>
        <source>Contents Preview</source>
        <translation>Vista previa</translation>
    </message>
    <message>
        <source>Load Directory List</source>
        <translation>Cargar carpeta</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>Cannot open the folder %1: %2</source>
        <translation>No se puede abrir la carpeta %1: %2</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Searching: 0 folders, 0 files</source>
        <translation>Buscando: 0 carpetas, 0 archivos</translation>
    </message>
    <message>
        <source>Searching: %1 folders, %2 files</source>
        <translation>Buscando: %1 carpetas, %2 archivos</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>Memoria insuficiente</translation>
    </message>
    <message>
        <source>The search failed</source>
        <translation>La búsqueda falló</translation>
    </message>
    <message>
        <source>The files could not be added</source>
        <translation>No se pudieron añadir los archivos</translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message>
        <source>TotalTime: 00:00</source>
        <translation>Total: 00:00</translation>
    </message>
    <message>
        <source>Remaining:</source>
        <translation>Restante:</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volumen</translation>
    </message>
    <message>
        <source>Drag and Drop Multimedia Files here</source>
        <translation>Arrastre y suelte aquí archivos multimedia</translation>
    </message>
    <message>
        <source>Playlist</source>
        <translation>Lista de reproducción</translation>
    </message>
    <message>
        <source>Prev</source>
        <translation>Anterior</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Reproducir</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Detener</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Siguiente</translation>
    </message>
    <message>
        <source>Random</source>
        <translation>Aleatorio</translation>
    </message>
    <message>
        <source>Randomize</source>
        <translation>Reproducción aleatoria</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Salir</translation>
    </message>
    <message>
        <source>Processing</source>
        <translation>Procesando</translation>
    </message>
    <message>
        <source>Theme picture</source>
        <translation>Imagen del tema</translation>
    </message>
    <message>
        <source>Expand</source>
        <translation>Ampliar</translation>
    </message>
    <message>
        <source>File Info</source>
        <translation>Información</translation>
    </message>
    <message>
        <source>Remove Entry</source>
        <translation>Quitar entrada</translation>
    </message>
    <message>
        <source>Load Files</source>
        <translation>Cargar archivos</translation>
    </message>
    <message>
        <source>Edit Tag</source>
        <translation>Editar etiqueta</translation>
    </message>
    <message>
        <source>Export Playlist...</source>
        <translation>Exportar lista de reproducción…</translation>
    </message>
    <message>
        <source>Hide Media Player Bar</source>
        <translation>Ocultar la barra de reproducción</translation>
    </message>
    <message>
        <source>Set Theme</source>
        <translation>Tema</translation>
    </message>
    <message>
        <source>Theme</source>
        <translation>Elegir imagen</translation>
    </message>
    <message>
        <source>Autosize</source>
        <translation>Tamaño automático</translation>
    </message>
    <message>
        <source>Playback</source>
        <translation>Reproducción</translation>
    </message>
    <message>
        <source>Repeat List</source>
        <translation>Repetir la lista</translation>
    </message>
    <message>
        <source>Repeat Track</source>
        <translation>Repetir la pista</translation>
    </message>
    <message>
        <source>No Repeat</source>
        <translation>Sin repetición</translation>
    </message>
    <message>
        <source>Stop After This Track</source>
        <translation>Detener tras esta pista</translation>
    </message>
    <message>
        <source>Resume on Start</source>
        <translation>Reanudar al iniciar</translation>
    </message>
    <message>
        <source>Volume Levelling...</source>
        <translation>Normalización del volumen…</translation>
    </message>
    <message>
        <source>Cannot show the theme picture %1: %2</source>
        <translation>No se puede mostrar la imagen del tema %1: %2</translation>
    </message>
    <message numerus="yes">
        <source>
%n more items of Settings.dat name no picture that can be shown.</source>
        <translation>
            <numerusform>
%n elemento más de Settings.dat no corresponde a ninguna imagen que se pueda mostrar.</numerusform>
            <numerusform>
%n elementos más de Settings.dat no corresponden a ninguna imagen que se pueda mostrar.</numerusform>
        </translation>
    </message>
    <message>
        <source>Cannot read the settings: %1</source>
        <translation>No se puede leer la configuración: %1</translation>
    </message>
    <message>
        <source>Elapsed Time: </source>
        <translation>Transcurrido: </translation>
    </message>
    <message>
        <source>Total Time: </source>
        <translation>Total: </translation>
    </message>
    <message>
        <source>Export Playlist</source>
        <translation>Exportar lista de reproducción</translation>
    </message>
    <message>
        <source>Playlists (*.m3u8)</source>
        <translation>Listas de reproducción (*.m3u8)</translation>
    </message>
    <message>
        <source>Cannot export the playlist: </source>
        <translation>No se puede exportar la lista de reproducción: </translation>
    </message>
    <message>
        <source>Picture too large (%1 x %2 pixels; at most %3 MB of pixels can be shown)</source>
        <translation>Imagen demasiado grande (%1 × %2 píxeles; como máximo se pueden mostrar %3 MB de píxeles)</translation>
    </message>
    <message>
        <source>Cannot show the picture %1: %2</source>
        <translation>No se puede mostrar la imagen %1: %2</translation>
    </message>
    <message>
        <source>Cannot save the settings: </source>
        <translation>No se puede guardar la configuración: </translation>
    </message>
    <message>
        <source>Play Next</source>
        <translation>Reproducir a continuación</translation>
    </message>
    <message>
        <source>Add Files...</source>
        <translation>Añadir archivos...</translation>
    </message>
    <message>
        <source>Remove Missing Entries</source>
        <translation>Quitar entradas que faltan</translation>
    </message>
    <message>
        <source>Remove Duplicates</source>
        <translation>Quitar duplicados</translation>
    </message>
    <message>
        <source>Add Files</source>
        <translation>Añadir archivos</translation>
    </message>
    <message>
        <source>MP3 files and playlists (*.mp3 *.m3u *.m3u8 *.pls);;All files (*)</source>
        <translation>Archivos MP3 y listas de reproducción (*.mp3 *.m3u *.m3u8 *.pls);;Todos los archivos (*)</translation>
    </message>
    <message numerus="yes">
        <source>%n entries name a file that is gone.</source>
        <translation>
            <numerusform>%n entrada nombra un archivo que ya no existe.</numerusform>
            <numerusform>%n entradas nombran un archivo que ya no existe.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries are in folders that are not there or do not answer (an unplugged drive, a share): they are kept unless you remove them too.</source>
        <translation>
            <numerusform>%n entrada está en una carpeta que no está o no responde (una unidad desconectada, un recurso compartido): se conserva a menos que la quite también.</numerusform>
            <numerusform>%n entradas están en carpetas que no están o no responden (una unidad desconectada, un recurso compartido): se conservan a menos que las quite también.</numerusform>
        </translation>
    </message>
    <message>
        <source>Remove Those Gone</source>
        <translation>Quitar las que faltan</translation>
    </message>
    <message>
        <source>Remove All %1</source>
        <translation>Quitar las %1</translation>
    </message>
    <message>
        <source>No entry names a file that is gone.</source>
        <translation>Ninguna entrada nombra un archivo que ya no existe.</translation>
    </message>
    <message numerus="yes">
        <source>%n entries removed.</source>
        <translation>
            <numerusform>%n entrada quitada.</numerusform>
            <numerusform>%n entradas quitadas.</numerusform>
        </translation>
    </message>
    <message>
        <source>No entry names a file another entry names.</source>
        <translation>Ninguna entrada nombra un archivo que nombre otra.</translation>
    </message>
    <message numerus="yes">
        <source>%n duplicate entries removed.</source>
        <translation>
            <numerusform>%n entrada duplicada quitada.</numerusform>
            <numerusform>%n entradas duplicadas quitadas.</numerusform>
        </translation>
    </message>
    <message>
        <source>Sleep Timer</source>
        <translation>Temporizador</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Desactivado</translation>
    </message>
    <message numerus="yes">
        <source>%n Minutes</source>
        <translation>
            <numerusform>%n minuto</numerusform>
            <numerusform>%n minutos</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Sleep Timer (%n min left)</source>
        <translation>
            <numerusform>Temporizador (queda %n min)</numerusform>
            <numerusform>Temporizador (quedan %n min)</numerusform>
        </translation>
    </message>
    <message>
        <source>Equalizer...</source>
        <translation>Ecualizador...</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Salida</translation>
    </message>
    <message>
        <source>Follow the System</source>
        <translation>Como el sistema</translation>
    </message>
    <message>
        <source>%1 (not there)</source>
        <translation>%1 (no disponible)</translation>
    </message>
</context>
</TS>

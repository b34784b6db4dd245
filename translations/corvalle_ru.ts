<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru">
<context>
    <name>AppError</name>
    <message>
        <source>Invalid procedure call or argument</source>
        <translation>Недопустимый вызов процедуры или аргумент</translation>
    </message>
    <message>
        <source>Bad file name or number</source>
        <translation>Неверное имя или номер файла</translation>
    </message>
    <message>
        <source>File not found</source>
        <translation>Файл не найден</translation>
    </message>
    <message>
        <source>Device I/O error</source>
        <translation>Ошибка ввода-вывода устройства</translation>
    </message>
    <message>
        <source>Disk full</source>
        <translation>Диск заполнен</translation>
    </message>
    <message>
        <source>Input past end of file</source>
        <translation>Чтение за концом файла</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>Доступ запрещён</translation>
    </message>
    <message>
        <source>Path/File access error</source>
        <translation>Ошибка доступа к пути или файлу</translation>
    </message>
    <message>
        <source>Path not found</source>
        <translation>Путь не найден</translation>
    </message>
    <message>
        <source>Invalid picture</source>
        <translation>Недопустимое изображение</translation>
    </message>
    <message>
        <source>Invalid property value</source>
        <translation>Недопустимое значение свойства</translation>
    </message>
    <message>
        <source>The file is not an MPEG audio file</source>
        <translation>Файл не является аудиофайлом MPEG</translation>
    </message>
    <message>
        <source>No sound device is available</source>
        <translation>Нет доступного звукового устройства</translation>
    </message>
    <message>
        <source>The file cannot be decoded</source>
        <translation>Не удаётся декодировать файл</translation>
    </message>
    <message>
        <source>Application-defined or object-defined error</source>
        <translation>Ошибка, определённая приложением или объектом</translation>
    </message>
    <message>
        <source>the file did not answer</source>
        <translation>файл не отвечает</translation>
    </message>
    <message>
        <source>the folder did not answer</source>
        <translation>папка не отвечает</translation>
    </message>
    <message>
        <source>the sound server did not answer</source>
        <translation>звуковой сервер не отвечает</translation>
    </message>
</context>
<context>
    <name>Application</name>
    <message>
        <source>Corvalle&apos;s MP3 Player</source>
        <translation>MP3-плеер Corvalle</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Error Found:  </source>
        <translation>Ошибка:  </translation>
    </message>
</context>
<context>
    <name>EqualizerWindow</name>
    <message>
        <source>%1 dB</source>
        <translation>%1 дБ</translation>
    </message>
    <message>
        <source>%1k</source>
        <translation>%1к</translation>
    </message>
    <message>
        <source>Flat</source>
        <translation>Ровный</translation>
    </message>
    <message>
        <source>Bass Boost</source>
        <translation>Усиление басов</translation>
    </message>
    <message>
        <source>Treble Boost</source>
        <translation>Усиление высоких</translation>
    </message>
    <message>
        <source>Vocal</source>
        <translation>Вокал</translation>
    </message>
    <message>
        <source>Rock</source>
        <translation>Рок</translation>
    </message>
    <message>
        <source>Loudness</source>
        <translation>Тонкомпенсация</translation>
    </message>
    <message>
        <source>Equalizer</source>
        <translation>Эквалайзер</translation>
    </message>
    <message>
        <source>&amp;On</source>
        <translation>&amp;Вкл.</translation>
    </message>
    <message>
        <source>&amp;Preset:</source>
        <translation>&amp;Предустановка:</translation>
    </message>
    <message>
        <source>&amp;Save Preset</source>
        <translation>&amp;Сохранить предустановку</translation>
    </message>
    <message>
        <source>&amp;Import...</source>
        <translation>&amp;Импорт...</translation>
    </message>
    <message>
        <source>Equalizer curve</source>
        <translation>Кривая эквалайзера</translation>
    </message>
    <message>
        <source>Pre-amplification</source>
        <translation>Предусиление</translation>
    </message>
    <message>
        <source>Pre-amp</source>
        <translation>Предус.</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Гц</translation>
    </message>
    <message>
        <source>Use the &amp;Bands</source>
        <translation>Использовать &amp;полосы</translation>
    </message>
    <message>
        <source>Import a Parametric Equalizer</source>
        <translation>Импорт параметрического эквалайзера</translation>
    </message>
    <message>
        <source>Parametric equalizer (*.txt);;All files (*)</source>
        <translation>Параметрический эквалайзер (*.txt);;Все файлы (*)</translation>
    </message>
    <message>
        <source>Imported correction. Filters: %1. Pre-amplification: %2.</source>
        <translation>Импортированная коррекция. Фильтров: %1. Предусиление: %2.</translation>
    </message>
    <message>
        <source>Type a name for the preset first.</source>
        <translation>Сначала введите имя предустановки.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a built-in preset; choose another name.</source>
        <translation>«%1» — встроенная предустановка; выберите другое имя.</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>Не удаётся прочитать %1: %2</translation>
    </message>
    <message>
        <source>%1 is not a parametric equalizer file: it is too large.
Nothing was changed.</source>
        <translation>%1 не является файлом параметрического эквалайзера: он слишком велик.
Ничего не изменено.</translation>
    </message>
    <message>
        <source>%1 holds no equalizer filter.
Nothing was changed.</source>
        <translation>В %1 нет ни одного фильтра эквалайзера.
Ничего не изменено.</translation>
    </message>
    <message>
        <source>%1 holds more than %2 filters (line %3).
Nothing was changed.</source>
        <translation>В %1 больше %2 фильтров (строка %3).
Ничего не изменено.</translation>
    </message>
    <message>
        <source>%1 is not a parametric equalizer file: line %2 cannot be read.
Nothing was changed.</source>
        <translation>%1 не является файлом параметрического эквалайзера: строку %2 не удаётся прочитать.
Ничего не изменено.</translation>
    </message>
    <message>
        <source>Pre-amplification lowered by %1 dB while playing, so that no boost clips.</source>
        <translation>Предусиление снижено на %1 дБ при воспроизведении, чтобы подъём не вызывал перегрузки.</translation>
    </message>
</context>
<context>
    <name>LevellingDialog</name>
    <message>
        <source> dB</source>
        <translation> дБ</translation>
    </message>
    <message>
        <source>Volume Levelling</source>
        <translation>Выравнивание громкости</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Выключено</translation>
    </message>
    <message>
        <source>Track gain</source>
        <translation>По дорожке</translation>
    </message>
    <message>
        <source>Album gain</source>
        <translation>По альбому</translation>
    </message>
    <message>
        <source>Album gain unless Random</source>
        <translation>По альбому, в случайном порядке — по дорожке</translation>
    </message>
    <message>
        <source>&amp;Levelling:</source>
        <translation>&amp;Выравнивание:</translation>
    </message>
    <message>
        <source>&amp;Pre-amplification:</source>
        <translation>&amp;Предусиление:</translation>
    </message>
    <message>
        <source>&amp;Files without gain:</source>
        <translation>&amp;Файлы без ReplayGain:</translation>
    </message>
</context>
<context>
    <name>MediaPlayerBar</name>
    <message>
        <source>Play</source>
        <translation>Играть</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Стоп</translation>
    </message>
    <message>
        <source>Position</source>
        <translation>Позиция</translation>
    </message>
    <message>
        <source>Elapsed and total time</source>
        <translation>Прошедшее и общее время</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Пауза</translation>
    </message>
</context>
<context>
    <name>MprisService</name>
    <message>
        <source>A window of the player is open; close it first.</source>
        <translation>Открыто окно плеера; сначала закройте его.</translation>
    </message>
</context>
<context>
    <name>Playlist</name>
    <message>
        <source>Cannot read the playlist %1.</source>
        <translation>Не удаётся прочитать список воспроизведения %1.</translation>
    </message>
    <message numerus="yes">
        <source>%n more playlists could not be read.</source>
        <translation>
            <numerusform>Не удалось прочитать ещё %n список воспроизведения.</numerusform>
            <numerusform>Не удалось прочитать ещё %n списка воспроизведения.</numerusform>
            <numerusform>Не удалось прочитать ещё %n списков воспроизведения.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries were not added: an address is not a file on this computer.</source>
        <translation>
            <numerusform>Не добавлена %n запись: адрес не является файлом на этом компьютере.</numerusform>
            <numerusform>Не добавлены %n записи: адрес не является файлом на этом компьютере.</numerusform>
            <numerusform>Не добавлено %n записей: адрес не является файлом на этом компьютере.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries were not added: no such file.</source>
        <translation>
            <numerusform>Не добавлена %n запись: файл не существует.</numerusform>
            <numerusform>Не добавлены %n записи: файл не существует.</numerusform>
            <numerusform>Не добавлено %n записей: файл не существует.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries were not added: a line longer than %1 bytes or holding a NUL byte names no file.</source>
        <translation>
            <numerusform>Не добавлена %n запись: строка длиннее %1 байт или с байтом NUL не указывает на файл.</numerusform>
            <numerusform>Не добавлены %n записи: строка длиннее %1 байт или с байтом NUL не указывает на файл.</numerusform>
            <numerusform>Не добавлено %n записей: строка длиннее %1 байт или с байтом NUL не указывает на файл.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The playlist holds at most %1 entries: %n entries were not added.</source>
        <translation>
            <numerusform>Список воспроизведения вмещает не более %1 записей: %n запись не добавлена.</numerusform>
            <numerusform>Список воспроизведения вмещает не более %1 записей: %n записи не добавлены.</numerusform>
            <numerusform>Список воспроизведения вмещает не более %1 записей: %n записей не добавлено.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries were not added: a name holding a line break cannot be stored in the playlist.</source>
        <translation>
            <numerusform>Не добавлена %n запись: имя с переводом строки нельзя сохранить в списке.</numerusform>
            <numerusform>Не добавлены %n записи: имя с переводом строки нельзя сохранить в списке.</numerusform>
            <numerusform>Не добавлено %n записей: имя с переводом строки нельзя сохранить в списке.</numerusform>
        </translation>
    </message>
    <message>
        <source> They stay in %1 and are saved with the playlist.</source>
        <translation> Они остаются в %1 и сохраняются вместе со списком.</translation>
    </message>
    <message numerus="yes">
        <source>%n lines of %1 named no file (longer than %2 bytes or holding a NUL byte) and were left out; they will not be saved again.</source>
        <translation>
            <numerusform>%n строка файла %1 не указывает на файл (длиннее %2 байт или с байтом NUL) и пропущена; она больше не будет сохранена.</numerusform>
            <numerusform>%n строки файла %1 не указывают на файл (длиннее %2 байт или с байтом NUL) и пропущены; они больше не будут сохранены.</numerusform>
            <numerusform>%n строк файла %1 не указывают на файл (длиннее %2 байт или с байтом NUL) и пропущены; они больше не будут сохранены.</numerusform>
        </translation>
    </message>
    <message>
        <source>Cannot read the playlist %1: %2. It is kept as it is and will not be overwritten in this session.</source>
        <translation>Не удаётся прочитать список воспроизведения %1: %2. Он остаётся без изменений и не будет перезаписан в этом сеансе.</translation>
    </message>
    <message>
        <source>Cannot save the playlist: %1 could not be read at start-up and is kept as it is.</source>
        <translation>Не удаётся сохранить список воспроизведения: файл %1 не прочитан при запуске и остаётся без изменений.</translation>
    </message>
    <message>
        <source>Cannot save the playlist: </source>
        <translation>Не удаётся сохранить список воспроизведения: </translation>
    </message>
</context>
<context>
    <name>PlaylistModel</name>
    <message>
        <source>%1, played next (%2)</source>
        <translation>%1, играет следующим (%2)</translation>
    </message>
</context>
<context>
    <name>SleepInhibitor</name>
    <message>
        <source>Playing music</source>
        <translation>Воспроизведение музыки</translation>
    </message>
</context>
<context>
    <name>TrackNotifier</name>
    <message>
        <source>The sound plays on the default output</source>
        <translation>Звук идёт через выход по умолчанию</translation>
    </message>
    <message>
        <source>%1 is not there.</source>
        <translation>%1 недоступен.</translation>
    </message>
</context>
<context>
    <name>Transport</name>
    <message numerus="yes">
        <source>Playback stopped: %n files could not be played one after another.</source>
        <translation>
            <numerusform>Воспроизведение остановлено: не удалось воспроизвести %n файл подряд.</numerusform>
            <numerusform>Воспроизведение остановлено: не удалось воспроизвести %n файла подряд.</numerusform>
            <numerusform>Воспроизведение остановлено: не удалось воспроизвести %n файлов подряд.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>frmEditTagInformation</name>
    <message>
        <source>Tag Update Failed</source>
        <translation>Не удалось сохранить тег</translation>
    </message>
    <message>
        <source>MP3 Tag Information </source>
        <translation>Тег MP3 </translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Название</translation>
    </message>
    <message>
        <source>Artist</source>
        <translation>Исполнитель</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>Альбом</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>Год</translation>
    </message>
    <message>
        <source>Comment</source>
        <translation>Комментарий</translation>
    </message>
    <message>
        <source>Genre</source>
        <translation>Жанр</translation>
    </message>
    <message>
        <source>Save Tag</source>
        <translation>Сохранить</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Cannot read the tag of %1: %2</source>
        <translation>Не удаётся прочитать тег файла %1: %2</translation>
    </message>
    <message>
        <source>No tag</source>
        <translation>Нет тега</translation>
    </message>
    <message>
        <source>The tag could not be read</source>
        <translation>Не удалось прочитать тег</translation>
    </message>
    <message>
        <source>The tag&apos;s code page (Windows-%1) cannot hold some characters of %2: they will be saved as &quot;?&quot;. Save anyway?</source>
        <translation>Кодовая страница тега (Windows-%1) не может передать некоторые символы в полях %2: они будут сохранены как «?». Всё равно сохранить?</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Cannot edit %1 while the file is opened</source>
        <translation>Нельзя изменить %1, пока файл открыт</translation>
    </message>
    <message>
        <source>The tag could not be saved to %1</source>
        <translation>Не удалось сохранить тег в %1</translation>
    </message>
</context>
<context>
    <name>frmFileLoader</name>
    <message>
        <source>MP3 File Loader</source>
        <translation>Загрузка MP3-файлов</translation>
    </message>
    <message>
        <source>Browse and Select The Directory Where  There May Be Some MP3 Files</source>
        <translation>Выберите папку, в которой есть MP3-файлы</translation>
    </message>
    <message>
        <source>Find &amp; Load MP3 Files</source>
        <translation>Поиск и загрузка MP3-файлов</translation>
    </message>
    <message>
        <source>Drives &amp; Folders</source>
        <translation>Диски и папки</translation>
    </message>
    <message>
        <source>Contents Preview</source>
        <translation>Содержимое</translation>
    </message>
    <message>
        <source>Load Directory List</source>
        <translation>Загрузить папку</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Cannot open the folder %1: %2</source>
        <translation>Не удаётся открыть папку %1: %2</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Searching: 0 folders, 0 files</source>
        <translation>Поиск: папок 0, файлов 0</translation>
    </message>
    <message>
        <source>Searching: %1 folders, %2 files</source>
        <translation>Поиск: папок %1, файлов %2</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>Недостаточно памяти</translation>
    </message>
    <message>
        <source>The search failed</source>
        <translation>Поиск не удался</translation>
    </message>
    <message>
        <source>The files could not be added</source>
        <translation>Не удалось добавить файлы</translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message>
        <source>TotalTime: 00:00</source>
        <translation>Всего: 00:00</translation>
    </message>
    <message>
        <source>Remaining:</source>
        <translation>Осталось:</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Громкость</translation>
    </message>
    <message>
        <source>Drag and Drop Multimedia Files here</source>
        <translation>Перетащите сюда мультимедийные файлы</translation>
    </message>
    <message>
        <source>Playlist</source>
        <translation>Список воспроизведения</translation>
    </message>
    <message>
        <source>Prev</source>
        <translation>Назад</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Играть</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Стоп</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Вперёд</translation>
    </message>
    <message>
        <source>Random</source>
        <translation>Случайно</translation>
    </message>
    <message>
        <source>Randomize</source>
        <translation>Случайный порядок</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>Processing</source>
        <translation>Ждите</translation>
    </message>
    <message>
        <source>Theme picture</source>
        <translation>Картинка темы</translation>
    </message>
    <message>
        <source>Expand</source>
        <translation>Развернуть</translation>
    </message>
    <message>
        <source>File Info</source>
        <translation>Файл</translation>
    </message>
    <message>
        <source>Remove Entry</source>
        <translation>Удалить запись</translation>
    </message>
    <message>
        <source>Load Files</source>
        <translation>Загрузить файлы</translation>
    </message>
    <message>
        <source>Edit Tag</source>
        <translation>Изменить тег</translation>
    </message>
    <message>
        <source>Export Playlist...</source>
        <translation>Экспорт списка…</translation>
    </message>
    <message>
        <source>Hide Media Player Bar</source>
        <translation>Скрыть панель плеера</translation>
    </message>
    <message>
        <source>Set Theme</source>
        <translation>Тема</translation>
    </message>
    <message>
        <source>Theme</source>
        <translation>Выбрать картинку</translation>
    </message>
    <message>
        <source>Autosize</source>
        <translation>Автоматический размер</translation>
    </message>
    <message>
        <source>Playback</source>
        <translation>Воспроизведение</translation>
    </message>
    <message>
        <source>Repeat List</source>
        <translation>Повторять список</translation>
    </message>
    <message>
        <source>Repeat Track</source>
        <translation>Повторять дорожку</translation>
    </message>
    <message>
        <source>No Repeat</source>
        <translation>Без повтора</translation>
    </message>
    <message>
        <source>Stop After This Track</source>
        <translation>Остановить после этой дорожки</translation>
    </message>
    <message>
        <source>Resume on Start</source>
        <translation>Продолжать при запуске</translation>
    </message>
    <message>
        <source>Volume Levelling...</source>
        <translation>Выравнивание громкости…</translation>
    </message>
    <message>
        <source>Cannot show the theme picture %1: %2</source>
        <translation>Не удаётся показать картинку темы %1: %2</translation>
    </message>
    <message numerus="yes">
        <source>
%n more items of Settings.dat name no picture that can be shown.</source>
        <translation>
            <numerusform>
Ещё %n элемент в Settings.dat не указывает на изображение, которое можно показать.</numerusform>
            <numerusform>
Ещё %n элемента в Settings.dat не указывают на изображение, которое можно показать.</numerusform>
            <numerusform>
Ещё %n элементов в Settings.dat не указывают на изображение, которое можно показать.</numerusform>
        </translation>
    </message>
    <message>
        <source>Cannot read the settings: %1</source>
        <translation>Не удаётся прочитать настройки: %1</translation>
    </message>
    <message>
        <source>Elapsed Time: </source>
        <translation>Прошло: </translation>
    </message>
    <message>
        <source>Total Time: </source>
        <translation>Всего: </translation>
    </message>
    <message>
        <source>Export Playlist</source>
        <translation>Экспорт списка воспроизведения</translation>
    </message>
    <message>
        <source>Playlists (*.m3u8)</source>
        <translation>Списки воспроизведения (*.m3u8)</translation>
    </message>
    <message>
        <source>Cannot export the playlist: </source>
        <translation>Не удаётся экспортировать список воспроизведения: </translation>
    </message>
    <message>
        <source>Picture too large (%1 x %2 pixels; at most %3 MB of pixels can be shown)</source>
        <translation>Изображение слишком велико (%1 × %2 пикселей; можно показать не более %3 МБ пикселей)</translation>
    </message>
    <message>
        <source>Cannot show the picture %1: %2</source>
        <translation>Не удаётся показать изображение %1: %2</translation>
    </message>
    <message>
        <source>Cannot save the settings: </source>
        <translation>Не удаётся сохранить настройки: </translation>
    </message>
    <message>
        <source>Play Next</source>
        <translation>Играть следующим</translation>
    </message>
    <message>
        <source>Add Files...</source>
        <translation>Добавить файлы...</translation>
    </message>
    <message>
        <source>Remove Missing Entries</source>
        <translation>Удалить отсутствующие</translation>
    </message>
    <message>
        <source>Remove Duplicates</source>
        <translation>Удалить повторы</translation>
    </message>
    <message>
        <source>Add Files</source>
        <translation>Добавить файлы</translation>
    </message>
    <message>
        <source>MP3 files and playlists (*.mp3 *.m3u *.m3u8 *.pls);;All files (*)</source>
        <translation>Файлы MP3 и списки воспроизведения (*.mp3 *.m3u *.m3u8 *.pls);;Все файлы (*)</translation>
    </message>
    <message numerus="yes">
        <source>%n entries name a file that is gone.</source>
        <translation>
            <numerusform>%n запись указывает на файл, которого больше нет.</numerusform>
            <numerusform>%n записи указывают на файл, которого больше нет.</numerusform>
            <numerusform>%n записей указывают на файл, которого больше нет.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries are in folders that are not there or do not answer (an unplugged drive, a share): they are kept unless you remove them too.</source>
        <translation>
            <numerusform>%n запись находится в папке, которой нет или которая не отвечает (отключённый диск, сетевая папка): она останется, если вы не удалите и её.</numerusform>
            <numerusform>%n записи находятся в папках, которых нет или которые не отвечают (отключённый диск, сетевая папка): они останутся, если вы не удалите и их.</numerusform>
            <numerusform>%n записей находятся в папках, которых нет или которые не отвечают (отключённый диск, сетевая папка): они останутся, если вы не удалите и их.</numerusform>
        </translation>
    </message>
    <message>
        <source>Remove Those Gone</source>
        <translation>Удалить только отсутствующие</translation>
    </message>
    <message>
        <source>Remove All %1</source>
        <translation>Удалить все (%1)</translation>
    </message>
    <message>
        <source>No entry names a file that is gone.</source>
        <translation>Ни одна запись не указывает на отсутствующий файл.</translation>
    </message>
    <message numerus="yes">
        <source>%n entries removed.</source>
        <translation>
            <numerusform>Удалена %n запись.</numerusform>
            <numerusform>Удалены %n записи.</numerusform>
            <numerusform>Удалено %n записей.</numerusform>
        </translation>
    </message>
    <message>
        <source>No entry names a file another entry names.</source>
        <translation>Ни одна запись не указывает на файл, на который указывает другая.</translation>
    </message>
    <message numerus="yes">
        <source>%n duplicate entries removed.</source>
        <translation>
            <numerusform>Удалён %n повтор.</numerusform>
            <numerusform>Удалены %n повтора.</numerusform>
            <numerusform>Удалено %n повторов.</numerusform>
        </translation>
    </message>
    <message>
        <source>Sleep Timer</source>
        <translation>Таймер сна</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Выкл.</translation>
    </message>
    <message numerus="yes">
        <source>%n Minutes</source>
        <translation>
            <numerusform>%n минута</numerusform>
            <numerusform>%n минуты</numerusform>
            <numerusform>%n минут</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Sleep Timer (%n min left)</source>
        <translation>
            <numerusform>Таймер сна (осталась %n мин)</numerusform>
            <numerusform>Таймер сна (осталось %n мин)</numerusform>
            <numerusform>Таймер сна (осталось %n мин)</numerusform>
        </translation>
    </message>
    <message>
        <source>Equalizer...</source>
        <translation>Эквалайзер...</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Вывод звука</translation>
    </message>
    <message>
        <source>Follow the System</source>
        <translation>Как в системе</translation>
    </message>
    <message>
        <source>%1 (not there)</source>
        <translation>%1 (недоступен)</translation>
    </message>
</context>
</TS>

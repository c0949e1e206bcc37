<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU" sourcelanguage="en_US">
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;Restart</source>
        <translation>&amp;Перезапустить</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Справка</translation>
    </message>
    <message>
        <source>&amp;Online Help</source>
        <translation>&amp;Онлайн-справка</translation>
    </message>
    <message>
        <source>&amp;Frequently Asked Questions</source>
        <translation>&amp;Частые вопросы</translation>
    </message>
    <message>
        <source>&amp;Home Page</source>
        <translation>&amp;Домашняя страница</translation>
    </message>
    <message>
        <source>&amp;Forum</source>
        <translation>&amp;Форум</translation>
    </message>
    <message>
        <source>About &amp;Hardware Decoding...</source>
        <translation>Об &amp;аппаратном декодировании...</translation>
    </message>
    <message>
        <source>This player decodes in software. Hardware decoding comes with a later version.</source>
        <translation>Этот проигрыватель декодирует программно. Аппаратное декодирование появится в следующей версии.</translation>
    </message>
    <message>
        <source>Learn more</source>
        <translation>Подробнее</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Готово</translation>
    </message>
    <message>
        <source>More languages will come with the next updates.</source>
        <translation>Новые языки появятся в следующих обновлениях.</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Файл</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Выход</translation>
    </message>
    <message>
        <source>&amp;Playback</source>
        <translation>&amp;Воспроизведение</translation>
    </message>
    <message>
        <source>&amp;Shuffle</source>
        <translation>&amp;Случайный порядок</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>В&amp;ид</translation>
    </message>
    <message>
        <source>&amp;Language</source>
        <translation>&amp;Язык</translation>
    </message>
    <message>
        <source>&amp;Theme</source>
        <translation>&amp;Тема</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>&amp;Сервис</translation>
    </message>
    <message>
        <source>Check for Updates &amp;Automatically</source>
        <translation>&amp;Автоматически проверять обновления</translation>
    </message>
    <message>
        <source>Play</source>
        <extracomment>A button: play the selected track.</extracomment>
        <translation>Воспроизвести</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Громкость</translation>
    </message>
    <message>
        <source>Playing: %1</source>
        <translation>Сейчас играет: %1</translation>
    </message>
    <message>
        <source>Nothing played yet</source>
        <translation>Пока ничего не воспроизводилось</translation>
    </message>
    <message>
        <source>Last played: %1</source>
        <translation>Последний трек: %1</translation>
    </message>
    <message>
        <source>First start after installation</source>
        <translation>Первый запуск после установки</translation>
    </message>
    <message>
        <source>First start after an update</source>
        <translation>Первый запуск после обновления</translation>
    </message>
    <message>
        <source>First start after a reinstall</source>
        <translation>Первый запуск после переустановки</translation>
    </message>
    <message>
        <source>Regular start</source>
        <translation>Обычный запуск</translation>
    </message>
    <message>
        <source>the previous run ended unexpectedly</source>
        <extracomment>Follows the kind of start after a semicolon, hence the small letter.</extracomment>
        <translation>предыдущий сеанс завершился аварийно</translation>
    </message>
    <message>
        <source>the previous run ended properly</source>
        <extracomment>Follows the kind of start after a semicolon, hence the small letter.</extracomment>
        <translation>предыдущий сеанс завершился штатно</translation>
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
        <translation>Проверка обновлений...</translation>
    </message>
</context>
<context>
    <name>SettingsStatusObserver</name>
    <message numerus="yes">
        <source>%n byte(s)</source>
        <translation>
            <numerusform>%n байт</numerusform>
            <numerusform>%n байта</numerusform>
            <numerusform>%n байт</numerusform>
        </translation>
    </message>
    <message>
        <source>on</source>
        <extracomment>A switch&apos;s state, as in &quot;Player/Shuffle changed from off to on&quot;.</extracomment>
        <translation>вкл.</translation>
    </message>
    <message>
        <source>off</source>
        <extracomment>A switch&apos;s state, as in &quot;Player/Shuffle changed from on to off&quot;.</extracomment>
        <translation>выкл.</translation>
    </message>
    <message>
        <source>%1 changed from %2 to %3</source>
        <translation>Параметр %1 изменён: было %2, стало %3</translation>
    </message>
    <message>
        <source>%1 set to %2</source>
        <translation>Параметр %1 установлен: %2</translation>
    </message>
</context>
</TS>

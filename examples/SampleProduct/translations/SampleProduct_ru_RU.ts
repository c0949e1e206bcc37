<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU" sourcelanguage="en_US">
<context>
    <name>AboutBoxDialog</name>
    <message>
        <source>&lt;a href=&quot;#&quot;&gt;Visit home page&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;#&quot;&gt;Посетить домашнюю страницу&lt;/a&gt;</translation>
    </message>
    <message>
        <source>All Rights Reserved</source>
        <translation>Все права защищены</translation>
    </message>
    <message>
        <source>&lt;a href=&quot;#&quot;&gt;Custom URL&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;#&quot;&gt;Своя ссылка&lt;/a&gt;</translation>
    </message>
</context>
<context>
    <name>CodecsMenu</name>
    <message>
        <source>&amp;Codecs</source>
        <translation>&amp;Кодеки</translation>
    </message>
    <message>
        <source>Prefer Hardware Decoding</source>
        <translation>Предпочитать аппаратное декодирование</translation>
    </message>
    <message>
        <source>Disable Hardware Decoding</source>
        <translation>Отключить аппаратное декодирование</translation>
    </message>
    <message>
        <source>Decode in Software Only</source>
        <translation>Декодировать только программно</translation>
    </message>
</context>
<context>
    <name>EmailWidget</name>
    <message>
        <source>Thank you for choosing Kavrel software!</source>
        <translation>Спасибо, что выбрали программы Kavrel!</translation>
    </message>
    <message>
        <source>We have special
discounts for you!</source>
        <translation>У нас есть особые
скидки для вас!</translation>
    </message>
    <message>
        <source>Register to get technical support, special deals and tips for making great videos.</source>
        <translation>Зарегистрируйтесь, чтобы получать техническую поддержку, специальные предложения и советы по созданию отличных видео.</translation>
    </message>
    <message>
        <source>Email:</source>
        <translation>Эл. почта:</translation>
    </message>
    <message>
        <source>I don&apos;t want to recieve Kavrel newsletters</source>
        <translation>Я не хочу получать рассылку Kavrel</translation>
    </message>
    <message>
        <source>You may cancel this subscription at any time.</source>
        <translation>Вы можете отменить подписку в любое время.</translation>
    </message>
    <message>
        <source>No, thanks</source>
        <translation>Нет, спасибо</translation>
    </message>
    <message>
        <source>Register and continue</source>
        <translation>Зарегистрироваться</translation>
    </message>
</context>
<context>
    <name>Kavrel::App::AboutBoxDialog</name>
    <message>
        <source>Visit homepage</source>
        <translation>Посетить сайт</translation>
    </message>
    <message>
        <source>Copyright © %1 %2</source>
        <translation>© %1 %2</translation>
    </message>
    <message>
        <source>Email address has been copied to the clipboard</source>
        <translation>Адрес электронной почты скопирован в буфер обмена</translation>
    </message>
</context>
<context>
    <name>Kavrel::App::ConfirmationAlertBox</name>
    <message>
        <source>Don&apos;t show this again</source>
        <translation>Больше не показывать</translation>
    </message>
</context>
<context>
    <name>Kavrel::App::EmailWidget</name>
    <message>
        <source>Skip</source>
        <translation>Пропустить</translation>
    </message>
    <message>
        <source>Register now and you will be among the first to know about our special offers and sales.</source>
        <translation>Зарегистрируйтесь сейчас и первыми узнавайте о наших специальных предложениях и распродажах.</translation>
    </message>
    <message>
        <source>Please enter a valid email address</source>
        <translation>Введите правильный адрес электронной почты</translation>
    </message>
</context>
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
        <translation type="vanished">&amp;Файл</translation>
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
    <message>
        <source>Delete all files from the playlist?</source>
        <translation>Удалить все файлы из списка воспроизведения?</translation>
    </message>
    <message>
        <source>The files themselves stay on the disk.</source>
        <translation>Сами файлы останутся на диске.</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) deleted from the playlist.</source>
        <translation>
            <numerusform>%n файл удалён из списка воспроизведения.</numerusform>
            <numerusform>%n файла удалены из списка воспроизведения.</numerusform>
            <numerusform>%n файлов удалено из списка воспроизведения.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n question(s) will be asked again.</source>
        <translation>
            <numerusform>%n вопрос будет задан снова.</numerusform>
            <numerusform>%n вопроса будут заданы снова.</numerusform>
            <numerusform>%n вопросов будут заданы снова.</numerusform>
        </translation>
    </message>
    <message>
        <source>&amp;Delete All Files...</source>
        <translation>&amp;Удалить все файлы...</translation>
    </message>
    <message>
        <source>Ask Me Again for &amp;Everything</source>
        <translation>&amp;Снова спрашивать обо всём</translation>
    </message>
    <message>
        <source>&amp;About %1...</source>
        <translation>&amp;О программе %1...</translation>
    </message>
    <message>
        <source>The player&apos;s settings live in its menus.</source>
        <translation>Настройки проигрывателя находятся в его меню.</translation>
    </message>
    <message>
        <source>Pinch: %1% of the start</source>
        <translation>Масштаб: %1% от начального</translation>
    </message>
    <message>
        <source>Rotate: %1 degrees</source>
        <translation>Поворот: %1°</translation>
    </message>
    <message>
        <source>&amp;Player</source>
        <translation>&amp;Проигрыватель</translation>
    </message>
    <message>
        <source>&amp;Preferences...</source>
        <translation>&amp;Настройки...</translation>
    </message>
    <message>
        <source>&amp;Hide Sample Player</source>
        <translation>&amp;Скрыть Sample Player</translation>
    </message>
    <message>
        <source>Hide &amp;Others</source>
        <translation>Скрыть &amp;остальные</translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <translation>&amp;Окно</translation>
    </message>
    <message>
        <source>&amp;Minimize</source>
        <translation>&amp;Свернуть</translation>
    </message>
    <message>
        <source>&amp;Zoom</source>
        <translation>&amp;Масштаб</translation>
    </message>
    <message>
        <source>&amp;Bring All to Front</source>
        <translation>Все окна на &amp;передний план</translation>
    </message>
    <message>
        <source>Run &amp;Helper</source>
        <translation>Запустить &amp;помощника</translation>
    </message>
    <message>
        <source>The helper said &quot;%1&quot;; answered &quot;%2&quot;</source>
        <translation>Помощник сказал «%1»; ответ: «%2»</translation>
    </message>
    <message>
        <source>The helper has closed</source>
        <translation>Помощник закрыт</translation>
    </message>
    <message>
        <source>The helper is running</source>
        <translation>Помощник запущен</translation>
    </message>
    <message>
        <source>The helper could not be started</source>
        <translation>Не удалось запустить помощника</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Checking for updates...</source>
        <translation>Проверка обновлений...</translation>
    </message>
    <message numerus="yes">
        <source>The player stopped unexpectedly at start %n times in a row. Start with the default theme and language?</source>
        <translation>
            <numerusform>Проигрыватель неожиданно завершался при запуске %n раз подряд. Запустить с темой и языком по умолчанию?</numerusform>
            <numerusform>Проигрыватель неожиданно завершался при запуске %n раза подряд. Запустить с темой и языком по умолчанию?</numerusform>
            <numerusform>Проигрыватель неожиданно завершался при запуске %n раз подряд. Запустить с темой и языком по умолчанию?</numerusform>
        </translation>
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

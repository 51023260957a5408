<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ru_RU">
<context>
    <name>Blocks</name>
    <message>
        <source>Gpio</source>
        <translation>Gpio</translation>
    </message>
    <message>
        <source>SPI DO</source>
        <translation>SPI DO</translation>
    </message>
    <message>
        <source>SPI DI</source>
        <translation>SPI DI</translation>
    </message>
    <message>
        <source>SPI ADC</source>
        <translation>SPI ADC</translation>
    </message>
    <message>
        <source>TI ADC</source>
        <translation>TI ADC</translation>
    </message>
    <message>
        <source>PWM</source>
        <translation>PWM</translation>
    </message>
    <message>
        <source>Привязки DO</source>
        <translation>DO links</translation>
    </message>
    <message>
        <source>Привязки DI</source>
        <translation>DI links</translation>
    </message>
    <message>
        <source>Привязки AI</source>
        <translation>AI links</translation>
    </message>
    <message>
        <source>Привязки AO</source>
        <translation>AO links</translation>
    </message>
</context>
<context>
    <name>CheckPanel</name>
    <message>
        <source>Проверка</source>
        <translation>Check</translation>
    </message>
    <message>
        <source>Место</source>
        <translation>Place</translation>
    </message>
    <message>
        <source>Описание</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>Показать ошибки</source>
        <translation>Show findings</translation>
    </message>
    <message>
        <source>Ошибок нет</source>
        <translation>No errors</translation>
    </message>
    <message>
        <source>Ошибок: %1, предупреждений: %2</source>
        <translation>Errors: %1, warnings: %2</translation>
    </message>
    <message>
        <source>ошибка</source>
        <translation>error</translation>
    </message>
    <message>
        <source>предупреждение</source>
        <translation>warning</translation>
    </message>
    <message>
        <source>Ошибки и предупреждения проверки</source>
        <translation>Errors and warnings of the check</translation>
    </message>
    <message>
        <source>Enter открывает место, о котором строка</source>
        <translation>Enter opens the place the line is about</translation>
    </message>
    <message>
        <source>Итог проверки; щелчок или Ctrl+E показывает ошибки</source>
        <translation>Check summary; click or Ctrl+E shows the errors</translation>
    </message>
</context>
<context>
    <name>Checks</name>
    <message>
        <source>файл</source>
        <translation>file</translation>
    </message>
    <message>
        <source>заголовок</source>
        <translation>header</translation>
    </message>
    <message>
        <source>заголовок, запись %1</source>
        <translation>header, entry %1</translation>
    </message>
    <message>
        <source>%1, запись %2</source>
        <translation>%1, record %2</translation>
    </message>
    <message>
        <source>цепочка SPI DO</source>
        <translation>SPI DO chain</translation>
    </message>
    <message>
        <source>цепочка SPI DI</source>
        <translation>SPI DI chain</translation>
    </message>
    <message>
        <source>цепочка SPI ADC</source>
        <translation>SPI ADC chain</translation>
    </message>
    <message>
        <source>%1 байт — короче заголовка (%2): окно возьмёт только model id</source>
        <translation>%1 bytes, shorter than the header (%2): the builder takes the model id only</translation>
    </message>
    <message>
        <source>данных %1 байт — больше %2, которые может описать заголовок</source>
        <translation>%1 bytes of data, more than the %2 the header can describe</translation>
    </message>
    <message>
        <source>неизвестная секция «%1»: окно её пропустит</source>
        <translation>unknown section &quot;%1&quot;: the builder skips it</translation>
    </message>
    <message>
        <source>секция %1 уже была в записи %2: окно сложит их блоки</source>
        <translation>section %1 already in entry %2: the builder joins their blocks</translation>
    </message>
    <message>
        <source>секция %1 (смещение %2, размер %3) выходит за конец файла: окно её пропустит</source>
        <translation>section %1 (offset %2, size %3) runs past the end of the file: the builder skips it</translation>
    </message>
    <message>
        <source>%1 байт после последней секции (смещение %2): окно их не прочтёт</source>
        <translation>%1 bytes after the last section (offset %2): the builder does not read them</translation>
    </message>
    <message>
        <source>пустое имя: дальше окно заголовок не читает</source>
        <translation>empty name: the builder reads no more of the header</translation>
    </message>
    <message>
        <source>нет секции %1: вкладка останется пустой</source>
        <translation>no section %1: the tab stays empty</translation>
    </message>
    <message>
        <source>%1 байт вместо %2: окно не прочтёт выводы</source>
        <translation>%1 bytes instead of %2: the builder does not read the pins</translation>
    </message>
    <message>
        <source>%1 байт — меньше одной записи (%2): окно не прочтёт блок</source>
        <translation>%1 bytes, less than one record (%2): the builder does not read the block</translation>
    </message>
    <message>
        <source>маркер конца: записей после него %1, окно их не прочтёт</source>
        <translation>end mark: %1 records after it, the builder does not read them</translation>
    </message>
    <message>
        <source>%1 байт после последней целой записи: окно их не прочтёт</source>
        <translation>%1 bytes after the last whole record: the builder does not read them</translation>
    </message>
    <message>
        <source>код %1 не предлагается в %2: окно покажет «%3» и запишет 0</source>
        <translation>code %1 is not offered in %2: the builder shows &quot;%3&quot; and writes 0</translation>
    </message>
    <message>
        <source>вывода %1 нет: окно пропустит запись</source>
        <translation>no pin %1: the builder skips the record</translation>
    </message>
    <message>
        <source>вывод %1 уже был в записи %2: при сохранении останется одна</source>
        <translation>pin %1 already in record %2: saving keeps one of them</translation>
    </message>
    <message>
        <source>вывод недоступен, а код %1: окно запишет 240</source>
        <translation>the pin is not available but has code %1: the builder writes 240</translation>
    </message>
    <message>
        <source>код 240 у доступного вывода: окно покажет его недоступным</source>
        <translation>code 240 on an available pin: the builder shows it as not available</translation>
    </message>
    <message>
        <source>код %1 не предлагается выводу: окно покажет «%2» и запишет 0</source>
        <translation>code %1 is not offered for a pin: the builder shows &quot;%2&quot; and writes 0</translation>
    </message>
    <message>
        <source>нет вывода с функцией «%1» (%2)</source>
        <translation>no pin with the function &quot;%1&quot; (%2)</translation>
    </message>
    <message>
        <source>«%1» (%2) у нескольких выводов: %3</source>
        <translation>&quot;%1&quot; (%2) on several pins: %3</translation>
    </message>
    <message>
        <source>нет ни вывода, ни выхода SPI DO с функцией «%1» (21)</source>
        <translation>no pin and no SPI DO output with the function &quot;%1&quot; (21)</translation>
    </message>
    <message>
        <source>вывод %1 в Gpio не %2</source>
        <translation>pin %1 in Gpio is not an %2</translation>
    </message>
    <message>
        <source>%1 без строки в %2</source>
        <translation>%1 without a row in %2</translation>
    </message>
    <message>
        <source>аналоговый вход</source>
        <translation>analog input</translation>
    </message>
    <message>
        <source>аналоговый (PWM) выход</source>
        <translation>analog (PWM) output</translation>
    </message>
    <message>
        <source>привязок %1, а из настроек окно получило бы %2</source>
        <translation>%1 links, but the builder would derive %2 from the settings</translation>
    </message>
</context>
<context>
    <name>Clikit</name>
    <message>
        <source>не указана команда</source>
        <translation>no command given</translation>
    </message>
    <message>
        <source>неизвестная команда «%1»</source>
        <translation>unknown command &quot;%1&quot;</translation>
    </message>
    <message>
        <source>у параметра нет значения</source>
        <translation>an option has no value</translation>
    </message>
    <message>
        <source>неизвестный параметр «%1»</source>
        <translation>unknown option &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Подробнее: %1 --help</source>
        <translation>Details: %1 --help</translation>
    </message>
</context>
<context>
    <name>ConfigsCreator</name>
    <message>
        <source>Ошибка!</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>?</source>
        <translation>?</translation>
    </message>
    <message>
        <source>Ok!</source>
        <translation>Done</translation>
    </message>
    <message>
        <source> Файл %1 успешно создан </source>
        <translation> File %1 written </translation>
    </message>
    <message>
        <source>Варианты сохранения конфигураций</source>
        <translation>Save configuration</translation>
    </message>
    <message>
        <source> Создать model id файл </source>
        <translation> Write model id file </translation>
    </message>
    <message>
        <source> Сохранить текущие настройки (%1) </source>
        <translation> Save this tab (%1) </translation>
    </message>
    <message>
        <source>Конфигурация слишком велика для model id файла: %1 байт данных, допустимо не более %2. Файл не записан.</source>
        <translation>The configuration is too large for a model id file: %1 bytes of data, at most %2 allowed. File not written.</translation>
    </message>
    <message>
        <source>Файл %1 слишком велик: %2 байт, допустимо не более %3. Файл не загружен.</source>
        <translation>File %1 is too large: %2 bytes, at most %3 allowed. File not loaded.</translation>
    </message>
    <message>
        <source>Внимание!</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Не удалось прочитать файл восстановления %1: %2. Файл удалён.</source>
        <translation>Cannot read the recovery file %1: %2. File deleted.</translation>
    </message>
    <message>
        <source>Восстановить несохранённую конфигурацию от %1?</source>
        <translation>Restore the unsaved configuration of %1?</translation>
    </message>
    <message>
        <source>Файл</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Отчёт…</source>
        <translation>Report…</translation>
    </message>
    <message>
        <source>Сохранить отчёт</source>
        <translation>Save report</translation>
    </message>
    <message>
        <source>Веб-страницы (*.html *.htm)</source>
        <translation>Web pages (*.html *.htm)</translation>
    </message>
    <message>
        <source>Отчёт</source>
        <translation>Report</translation>
    </message>
    <message>
        <source>Отчёт записан в %1, но открыть его в браузере не удалось.</source>
        <translation>Report written to %1, but it could not be opened in the browser.</translation>
    </message>
    <message>
        <source>Дискретный вход</source>
        <translation>Discrete input</translation>
    </message>
    <message>
        <source>Дискретный выход</source>
        <translation>Discrete output</translation>
    </message>
    <message>
        <source>SPI Di регистров</source>
        <translation>SPI DI registers</translation>
    </message>
    <message>
        <source>SPI DO регистров</source>
        <translation>SPI DO registers</translation>
    </message>
    <message>
        <source>SPI внешних ADC</source>
        <translation>SPI external ADC</translation>
    </message>
    <message>
        <source>Сброс в дефолт</source>
        <translation>Reset to defaults</translation>
    </message>
    <message>
        <source>Сохранить в...</source>
        <translation>Save to...</translation>
    </message>
    <message>
        <source>Файл %1 уже существует, заменить?</source>
        <translation>File %1 already exists. Replace it?</translation>
    </message>
    <message>
        <source>Неизвестное имя текущей вкладки</source>
        <translation>Unknown name of the current tab</translation>
    </message>
    <message>
        <source>Выбрать файлы конфигураций</source>
        <translation>Choose configuration files</translation>
    </message>
    <message>
        <source>Неизвестный файл %1!</source>
        <translation>Unknown file %1.</translation>
    </message>
    <message>
        <source>Номер model id</source>
        <translation>Model id number</translation>
    </message>
    <message>
        <source>Номер в имени файла model id, от 0 до 255</source>
        <translation>The number in the model id file name, 0 to 255</translation>
    </message>
    <message>
        <source>Разделы конфигурации</source>
        <translation>Configuration sections</translation>
    </message>
    <message>
        <source>Разъёмы</source>
        <translation>Headers</translation>
    </message>
    <message>
        <source>Сохраняет вкладку в её файл или всю конфигурацию в файл model id; Ctrl+S</source>
        <translation>Saves the tab to its file or the whole configuration to a model id file; Ctrl+S</translation>
    </message>
    <message>
        <source>Загружает конфигурацию из файлов; Ctrl+O</source>
        <translation>Loads the configuration from files; Ctrl+O</translation>
    </message>
    <message>
        <source>Строки вкладки %1</source>
        <translation>Rows of tab %1</translation>
    </message>
    <message>
        <source>Выводы %1, левый столбец</source>
        <translation>Pins of %1, left column</translation>
    </message>
    <message>
        <source>Выводы %1, правый столбец</source>
        <translation>Pins of %1, right column</translation>
    </message>
</context>
<context>
    <name>ConfigsCreatorForm</name>
    <message>
        <source>Создание конфигураций</source>
        <translation>Configuration builder</translation>
    </message>
    <message>
        <source>Gpio</source>
        <translation>Gpio</translation>
    </message>
    <message>
        <source>X6</source>
        <translation>X6</translation>
    </message>
    <message>
        <source>№</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>Порт</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Тип</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>Индекс</source>
        <translation>Index</translation>
    </message>
    <message>
        <source>X7</source>
        <translation>X7</translation>
    </message>
    <message>
        <source>X8</source>
        <translation>X8</translation>
    </message>
    <message>
        <source>X9</source>
        <translation>X9</translation>
    </message>
    <message>
        <source>No X</source>
        <translation>No X</translation>
    </message>
    <message>
        <source>SPI DO</source>
        <translation>SPI DO</translation>
    </message>
    <message>
        <source>Число выходов: </source>
        <translation>Outputs: </translation>
    </message>
    <message>
        <source>Количество регистров:</source>
        <translation>Registers:</translation>
    </message>
    <message>
        <source>Применить</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>SPI DI</source>
        <translation>SPI DI</translation>
    </message>
    <message>
        <source>Число входов: </source>
        <translation>Inputs: </translation>
    </message>
    <message>
        <source>SPI ADC</source>
        <translation>SPI ADC</translation>
    </message>
    <message>
        <source>Усиление</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>Смещение</source>
        <translation>Offset</translation>
    </message>
    <message>
        <source>Количество АЦП:</source>
        <translation>ADCs:</translation>
    </message>
    <message>
        <source>TI ADC</source>
        <translation>TI ADC</translation>
    </message>
    <message>
        <source>Получить из настроек GPIO</source>
        <translation>Derive from GPIO</translation>
    </message>
    <message>
        <source>PWM</source>
        <translation>PWM</translation>
    </message>
    <message>
        <source>Частота</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>Привязки DO</source>
        <translation>DO links</translation>
    </message>
    <message>
        <source>Получить из настроек GPIO и SPI DO</source>
        <translation>Derive from GPIO and SPI DO</translation>
    </message>
    <message>
        <source>Привязки DI</source>
        <translation>DI links</translation>
    </message>
    <message>
        <source>Получить из настроек GPIO и SPI DI</source>
        <translation>Derive from GPIO and SPI DI</translation>
    </message>
    <message>
        <source>Привязки AI</source>
        <translation>AI links</translation>
    </message>
    <message>
        <source>Получить из настроек GPIO и SPI ADC</source>
        <translation>Derive from GPIO and SPI ADC</translation>
    </message>
    <message>
        <source>Привязки AO</source>
        <translation>AO links</translation>
    </message>
    <message>
        <source>Загрузить</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
</context>
<context>
    <name>Configuration</name>
    <message>
        <source>индекс</source>
        <translation>index</translation>
    </message>
    <message>
        <source>код</source>
        <translation>code</translation>
    </message>
    <message>
        <source>усиление</source>
        <translation>gain</translation>
    </message>
    <message>
        <source>смещение</source>
        <translation>offset</translation>
    </message>
    <message>
        <source>порт</source>
        <translation>port</translation>
    </message>
    <message>
        <source>вывод</source>
        <translation>pin</translation>
    </message>
    <message>
        <source>частота</source>
        <translation>frequency</translation>
    </message>
    <message>
        <source>тип</source>
        <translation>type</translation>
    </message>
</context>
<context>
    <name>ConnectionSettings</name>
    <message>
        <source>Настройки подключения</source>
        <translation>Connection settings</translation>
    </message>
    <message>
        <source>Ip адрес</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>Порт</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Ошибка!</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Неверно задан Ip адрес!</source>
        <translation>The IP address is not valid.</translation>
    </message>
    <message>
        <source> Закрыть без сохранения </source>
        <translation> Close without saving </translation>
    </message>
    <message>
        <source>Ip адрес платы</source>
        <translation>Board IP address</translation>
    </message>
    <message>
        <source>Четыре числа от 0 до 255 через точку</source>
        <translation>Four numbers from 0 to 255 separated by dots</translation>
    </message>
    <message>
        <source>Порт платы</source>
        <translation>Board port</translation>
    </message>
    <message>
        <source>Номер TCP-порта платы, от 1 до 65535</source>
        <translation>The board&apos;s TCP port number, 1 to 65535</translation>
    </message>
    <message>
        <source>Запомнить адрес и порт платы</source>
        <translation>Save the board&apos;s address and port</translation>
    </message>
    <message>
        <source>Закрыть, ничего не меняя</source>
        <translation>Close without changing anything</translation>
    </message>
</context>
<context>
    <name>FileTable</name>
    <message>
        <source>Имя</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Дата изменения</source>
        <translation>Modified</translation>
    </message>
    <message>
        <source>Размер</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>Адрес в памяти</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Номер блока</source>
        <translation>Block</translation>
    </message>
    <message>
        <source>Количество файлов:  %1  </source>
        <translation>Files:  %1  </translation>
    </message>
    <message>
        <source>Общий объем памяти:  %1 Байт  </source>
        <translation>Total memory:  %1 bytes  </translation>
    </message>
    <message>
        <source>Занято:  %1 Байт  </source>
        <translation>Used:  %1 bytes  </translation>
    </message>
    <message>
        <source>Свободно:  %1 Байт  </source>
        <translation>Free:  %1 bytes  </translation>
    </message>
    <message>
        <source>%1 Байт</source>
        <translation>%1 bytes</translation>
    </message>
</context>
<context>
    <name>FsManager</name>
    <message>
        <source>Ошибка сети!</source>
        <translation>Network error.</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>Ok</translation>
    </message>
    <message>
        <source>Не хватает памяти на контроллере!</source>
        <translation>Not enough memory on the board.</translation>
    </message>
    <message>
        <source>Файл не существует!</source>
        <translation>No such file on the board.</translation>
    </message>
    <message>
        <source>Отправка файлов...</source>
        <translation>Uploading files...</translation>
    </message>
    <message>
        <source>Удаление файла...</source>
        <translation>Deleting files...</translation>
    </message>
    <message>
        <source>Получение файлов...</source>
        <translation>Downloading files...</translation>
    </message>
    <message>
        <source>%1 Передача отменена!</source>
        <translation>%1 Upload cancelled.</translation>
    </message>
    <message>
        <source>Ошибка подключения</source>
        <translation>Connection failed</translation>
    </message>
    <message>
        <source>Ответ контроллера слишком велик: %1 байт, а принять можно не более %2 байт. Соединение разорвано.</source>
        <translation>The board&apos;s reply is too large: %1 bytes, at most %2 bytes can be received. Link closed.</translation>
    </message>
</context>
<context>
    <name>Functions</name>
    <message>
        <source>Порт не используется</source>
        <translation>Pin not used</translation>
    </message>
    <message>
        <source>Порт не доступен для использования</source>
        <translation>Pin not available</translation>
    </message>
    <message>
        <source>Дискретный вход PULL_DOWN</source>
        <translation>Discrete input PULL_DOWN</translation>
    </message>
    <message>
        <source>Дискретный вход PULL_UP</source>
        <translation>Discrete input PULL_UP</translation>
    </message>
    <message>
        <source>Дискретный вход HI-Z</source>
        <translation>Discrete input HI-Z</translation>
    </message>
    <message>
        <source>Моностабильный выход</source>
        <translation>Monostable output</translation>
    </message>
    <message>
        <source>Моностабильный инверсный выход</source>
        <translation>Monostable inverted output</translation>
    </message>
    <message>
        <source>бистабильный выход ON</source>
        <translation>Bistable output ON</translation>
    </message>
    <message>
        <source>бистабильный выход OFF</source>
        <translation>Bistable output OFF</translation>
    </message>
    <message>
        <source>бистабильный выход ON без индикации</source>
        <translation>Bistable output ON without indication</translation>
    </message>
    <message>
        <source>бистабильный выход OFF без индикации</source>
        <translation>Bistable output OFF without indication</translation>
    </message>
    <message>
        <source>Аналоговый вход</source>
        <translation>Analog input</translation>
    </message>
    <message>
        <source>Аналоговый (PWM) выход</source>
        <translation>Analog (PWM) output</translation>
    </message>
    <message>
        <source>SPI MOSI для DO регистров</source>
        <translation>SPI MOSI for DO registers</translation>
    </message>
    <message>
        <source>SPI CLK для DO регистров</source>
        <translation>SPI CLK for DO registers</translation>
    </message>
    <message>
        <source>SPI DIAG для DO регистров</source>
        <translation>SPI DIAG for DO registers</translation>
    </message>
    <message>
        <source>SPI CS для DO регистров</source>
        <translation>SPI CS for DO registers</translation>
    </message>
    <message>
        <source>SPI MISO для DI регистров</source>
        <translation>SPI MISO for DI registers</translation>
    </message>
    <message>
        <source>SPI CLK для DI регистров</source>
        <translation>SPI CLK for DI registers</translation>
    </message>
    <message>
        <source>SPI DIAG для DI регистров</source>
        <translation>SPI DIAG for DI registers</translation>
    </message>
    <message>
        <source>SPI CS для DI регистров</source>
        <translation>SPI CS for DI registers</translation>
    </message>
    <message>
        <source>SPI MISO для внешних ADC</source>
        <translation>SPI MISO for external ADCs</translation>
    </message>
    <message>
        <source>SPI MOSI для внешних ADC</source>
        <translation>SPI MOSI for external ADCs</translation>
    </message>
    <message>
        <source>SPI CLK для внешних ADC</source>
        <translation>SPI CLK for external ADCs</translation>
    </message>
    <message>
        <source>SPI CS для внешних ADC</source>
        <translation>SPI CS for external ADCs</translation>
    </message>
    <message>
        <source>порт UART</source>
        <translation>UART port</translation>
    </message>
    <message>
        <source>Model id платы</source>
        <translation>Board model id</translation>
    </message>
    <message>
        <source>Сброс настроек сети в дефолт</source>
        <translation>Reset network settings to defaults</translation>
    </message>
    <message>
        <source>Сброс всех настроек в дефолт</source>
        <translation>Reset all settings to defaults</translation>
    </message>
    <message>
        <source>Сброс настроек сети в дефолт. PullUp</source>
        <translation>Reset network settings to defaults, PullUp</translation>
    </message>
    <message>
        <source>Сброс всех настроек в дефолт. PullUp</source>
        <translation>Reset all settings to defaults, PullUp</translation>
    </message>
    <message>
        <source>Светодиод индикации состояния</source>
        <translation>Status LED</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&lt;!DOCTYPE HTML PUBLIC &quot;-//W3C//DTD HTML 4.0//EN&quot; &quot;http://www.w3.org/TR/REC-html40/strict.dtd&quot;&gt;
&lt;html&gt;&lt;head&gt;&lt;meta name=&quot;qrichtext&quot; content=&quot;1&quot; /&gt;&lt;style type=&quot;text/css&quot;&gt;
p, li { white-space: pre-wrap; }
&lt;/style&gt;&lt;/head&gt;&lt;body style=&quot; font-family:&apos;MS Shell Dlg 2&apos;; font-size:8pt; font-weight:400; font-style:normal;&quot;&gt;
&lt;p style=&quot; margin-top:12px; margin-bottom:12px; margin-left:0px; margin-right:0px; -qt-block-indent:0; text-indent:0px;&quot;&gt;Для отправки файлов перетащите их в эту область&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;!DOCTYPE HTML PUBLIC &quot;-//W3C//DTD HTML 4.0//EN&quot; &quot;http://www.w3.org/TR/REC-html40/strict.dtd&quot;&gt;
&lt;html&gt;&lt;head&gt;&lt;meta name=&quot;qrichtext&quot; content=&quot;1&quot; /&gt;&lt;style type=&quot;text/css&quot;&gt;
p, li { white-space: pre-wrap; }
&lt;/style&gt;&lt;/head&gt;&lt;body style=&quot; font-family:&apos;MS Shell Dlg 2&apos;; font-size:8pt; font-weight:400; font-style:normal;&quot;&gt;
&lt;p style=&quot; margin-top:12px; margin-bottom:12px; margin-left:0px; margin-right:0px; -qt-block-indent:0; text-indent:0px;&quot;&gt;Drop files here to upload them to the board&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Имя</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Дата изменения</source>
        <translation>Modified</translation>
    </message>
    <message>
        <source>Размер</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>Адрес в памяти</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Номер блока</source>
        <translation>Block</translation>
    </message>
    <message>
        <source>Файл</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Подключить</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>Отключить</source>
        <translation>Disconnect</translation>
    </message>
    <message>
        <source>Обновить список файлов</source>
        <translation>Refresh file list</translation>
    </message>
    <message>
        <source>Настройки подключения</source>
        <translation>Connection settings</translation>
    </message>
    <message>
        <source>Создание конфигураций</source>
        <translation>Configuration builder</translation>
    </message>
    <message>
        <source>Количество файлов:  0  </source>
        <translation>Files:  0  </translation>
    </message>
    <message>
        <source>Общий объем памяти:  0 Байт  </source>
        <translation>Total memory:  0 bytes  </translation>
    </message>
    <message>
        <source>Занято:  0 Байт  </source>
        <translation>Used:  0 bytes  </translation>
    </message>
    <message>
        <source>Свободно:  0 Байт  </source>
        <translation>Free:  0 bytes  </translation>
    </message>
    <message>
        <source>Ошибка!</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Обновить</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>Удалить</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Скачать</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>Вы действительно хотите удалить %1?</source>
        <translation>Delete %1 from the board?</translation>
    </message>
    <message>
        <source>Вы действительно хотите удалить %1 файлов?</source>
        <translation>Delete %1 files from the board?</translation>
    </message>
    <message>
        <source>Удаление</source>
        <translation>Delete files</translation>
    </message>
    <message>
        <source>Сохранить в...</source>
        <translation>Save to...</translation>
    </message>
    <message>
        <source>Состояние подключения: %1</source>
        <translation>Connection state: %1</translation>
    </message>
    <message>
        <source>Плата подключена</source>
        <translation>Board connected</translation>
    </message>
    <message>
        <source>Плата не подключена</source>
        <translation>Board not connected</translation>
    </message>
    <message>
        <source>Адрес платы: %1</source>
        <translation>Board address: %1</translation>
    </message>
    <message>
        <source>Число файлов на плате</source>
        <translation>Number of files on the board</translation>
    </message>
    <message>
        <source>Объём памяти платы</source>
        <translation>Board memory size</translation>
    </message>
    <message>
        <source>Память платы, занятая файлами</source>
        <translation>Board memory used by files</translation>
    </message>
    <message>
        <source>Свободная память платы</source>
        <translation>Free board memory</translation>
    </message>
    <message>
        <source>Файлы на плате</source>
        <translation>Files on the board</translation>
    </message>
    <message>
        <source>Delete удаляет выделенные файлы, Enter скачивает их в папку, F5 обновляет список. Чтобы отправить файлы на плату, перетащите их сюда.</source>
        <translation>Delete deletes the selected files, Enter downloads them to a folder, F5 refreshes the list. To upload files to the board, drag them here.</translation>
    </message>
    <message>
        <source>Имя файла на плате</source>
        <translation>File name on the board</translation>
    </message>
    <message>
        <source>Когда файл изменён в последний раз</source>
        <translation>When the file was last modified</translation>
    </message>
    <message>
        <source>Размер файла в байтах</source>
        <translation>File size in bytes</translation>
    </message>
    <message>
        <source>Адрес начала файла в памяти платы</source>
        <translation>Address where the file starts in board memory</translation>
    </message>
    <message>
        <source>Номер блока памяти, в котором начинается файл</source>
        <translation>Number of the memory block where the file starts</translation>
    </message>
</context>
<context>
    <name>OrphanedWork</name>
    <message>
        <source>файл повреждён</source>
        <translation>the file is damaged</translation>
    </message>
</context>
<context>
    <name>ProgressBarWindow</name>
    <message>
        <source>Прогресс</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>Загрузка файла...</source>
        <translation>Transferring file...</translation>
    </message>
    <message>
        <source>Ход выполнения</source>
        <translation>Progress</translation>
    </message>
</context>
<context>
    <name>ReceivedFiles</name>
    <message>
        <source>Следующие файлы не сохранены: недопустимое имя файла:</source>
        <translation>These files were not saved: the file name is not allowed:</translation>
    </message>
    <message>
        <source>Следующие файлы не сохранены: в папке под этим именем лежит символическая ссылка, ведущая за её пределы:</source>
        <translation>These files were not saved: the folder holds a symbolic link of that name that leads outside it:</translation>
    </message>
    <message>
        <source>Следующие файлы не сохранены: не удалось записать файл:</source>
        <translation>These files were not saved: the file could not be written:</translation>
    </message>
</context>
<context>
    <name>Report</name>
    <message>
        <source>Дискретные выходы</source>
        <translation>Discrete outputs</translation>
    </message>
    <message>
        <source>Дискретные входы</source>
        <translation>Discrete inputs</translation>
    </message>
    <message>
        <source>Линии цепочек SPI DO, SPI DI, SPI ADC</source>
        <translation>SPI DO, SPI DI and SPI ADC chain lines</translation>
    </message>
    <message>
        <source>Аналоговые входы (TI ADC)</source>
        <translation>Analog inputs (TI ADC)</translation>
    </message>
    <message>
        <source>Аналоговые (PWM) выходы</source>
        <translation>Analog (PWM) outputs</translation>
    </message>
    <message>
        <source>Общие функции</source>
        <translation>Common functions</translation>
    </message>
    <message>
        <source>Сброс настроек</source>
        <translation>Settings reset</translation>
    </message>
    <message>
        <source>Функция неизвестна: блок выводов не прочитан</source>
        <translation>Function unknown: the pin block was not read</translation>
    </message>
    <message>
        <source>ошибка</source>
        <translation>error</translation>
    </message>
    <message>
        <source>предупреждение</source>
        <translation>warning</translation>
    </message>
    <message>
        <source>ru</source>
        <comment>the language tag of the report&apos;s texts</comment>
        <translation>en</translation>
    </message>
    <message>
        <source>Отчёт о конфигурации</source>
        <translation>Configuration report</translation>
    </message>
    <message>
        <source>Ошибок нет</source>
        <translation>No errors</translation>
    </message>
    <message>
        <source>Ошибок: %1, предупреждений: %2</source>
        <translation>Errors: %1, warnings: %2</translation>
    </message>
    <message>
        <source>текущее состояние окна создания конфигураций, не файл</source>
        <translation>the configuration builder&apos;s current state, not a file</translation>
    </message>
    <message>
        <source>model id файл</source>
        <translation>model id file</translation>
    </message>
    <message>
        <source>файл вкладки</source>
        <translation>tab file</translation>
    </message>
    <message>
        <source>папка файлов вкладок</source>
        <translation>folder of tab files</translation>
    </message>
    <message>
        <source>Источник</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>Файл</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Размер, байт</source>
        <translation>Size, bytes</translation>
    </message>
    <message>
        <source>Файлы</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>Программа</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>Создан</source>
        <translation>Created</translation>
    </message>
    <message>
        <source>Проверка</source>
        <translation>Check</translation>
    </message>
    <message>
        <source>функция неизвестна</source>
        <translation>function unknown</translation>
    </message>
    <message>
        <source>: код %1 «%2»</source>
        <translation>: code %1 &quot;%2&quot;</translation>
    </message>
    <message>
        <source>, индекс %1</source>
        <translation>, index %1</translation>
    </message>
    <message>
        <source>; вкладки: </source>
        <translation>; tabs: </translation>
    </message>
    <message>
        <source>Условные обозначения</source>
        <translation>Legend</translation>
    </message>
    <message>
        <source>Разъём %1</source>
        <translation>Header %1</translation>
    </message>
    <message>
        <source>2 × 10 позиций</source>
        <translation>2 × 10 positions</translation>
    </message>
    <message>
        <source>Выводы вне разъёмов (No X)</source>
        <translation>Pins on no header (No X)</translation>
    </message>
    <message>
        <source>вывод %1: %2</source>
        <translation>pin %1: %2</translation>
    </message>
    <message>
        <source>Выводы</source>
        <translation>Pins</translation>
    </message>
    <message>
        <source>Блока выводов (Gpio) нет или окно его не читает: функции выводов неизвестны.</source>
        <translation>There is no pin block (Gpio), or the builder does not read it: the pins&apos; functions are unknown.</translation>
    </message>
    <message>
        <source>%1 байт: окно не читает такой блок</source>
        <translation>%1 bytes: the builder does not read such a block</translation>
    </message>
    <message>
        <source>записей нет</source>
        <translation>no records</translation>
    </message>
    <message>
        <source>маркер конца в записи %1; целых записей после него: %2, не читаются</source>
        <translation>end mark in record %1; whole records after it: %2, not read</translation>
    </message>
    <message>
        <source>байт после последней целой записи: %1, не читаются</source>
        <translation>bytes after the last whole record: %1, not read</translation>
    </message>
    <message>
        <source>Запись</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>Вкладки</source>
        <translation>Tabs</translation>
    </message>
    <message>
        <source>%1 байт</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>, записей %1</source>
        <translation>, %1 records</translation>
    </message>
    <message>
        <source>Ни одной заполненной вкладки.</source>
        <translation>No tab holds anything.</translation>
    </message>
    <message>
        <source>Разъём</source>
        <translation>Header</translation>
    </message>
    <message>
        <source>Позиция</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>Вывод</source>
        <translation>Pin</translation>
    </message>
    <message>
        <source>Порт</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Код</source>
        <translation>Code</translation>
    </message>
    <message>
        <source>Функция</source>
        <translation>Function</translation>
    </message>
    <message>
        <source>Индекс</source>
        <translation>Index</translation>
    </message>
</context>
<context>
    <name>TreeRows</name>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
</context>
<context>
    <name>UploadRules</name>
    <message>
        <source>Файл: %1 не найден или не является обычным файлом.</source>
        <translation>File %1: not found or not a regular file.</translation>
    </message>
    <message>
        <source>Файл: %1 не удалось открыть.</source>
        <translation>File %1: cannot be opened.</translation>
    </message>
    <message>
        <source>Файл: %1 не удалось передать: у файла нет имени.</source>
        <translation>File %1: not uploaded: the file has no name.</translation>
    </message>
    <message>
        <source>Файл: %1 не удалось передать: имя файла содержит символы, которые контроллер не поддерживает.</source>
        <translation>File %1: not uploaded: the name holds characters the board does not support.</translation>
    </message>
    <message>
        <source>Файл: %1 не удалось передать: имя файла длиннее %2 символа.</source>
        <translation>File %1: not uploaded: the name is longer than %2 characters.</translation>
    </message>
    <message>
        <source>Файл: %1 не удалось передать: файл больше %2 байт.</source>
        <translation>File %1: not uploaded: the file is larger than %2 bytes.</translation>
    </message>
    <message>
        <source>Файлы не помещаются в свободную память платы, не хватает байт: %1.</source>
        <translation>The files do not fit the board&apos;s free memory; %1 bytes missing.</translation>
    </message>
    <message>
        <source>Файлы не поместятся в память платы, не хватает байт: %1.</source>
        <translation>The files will not fit the board&apos;s memory; %1 bytes missing.</translation>
    </message>
</context>
<context>
    <name>VelmoraFs</name>
    <message>
        <source>попытка %1 из %2: %3</source>
        <translation>try %1 of %2: %3</translation>
    </message>
    <message>
        <source>соединение потеряно</source>
        <translation>connection lost</translation>
    </message>
    <message>
        <source>плата недоступна</source>
        <translation>board unreachable</translation>
    </message>
    <message>
        <source>%1; попыток больше нет</source>
        <translation>%1; no tries left</translation>
    </message>
    <message>
        <source>%1; не повторяется: файлы платы, возможно, уже изменены</source>
        <translation>%1; not tried again: the board&apos;s files may have changed already</translation>
    </message>
    <message>
        <source>%1; следующая через %2 с</source>
        <translation>%1; next in %2 s</translation>
    </message>
    <message>
        <source>таблица файлов платы не прочитана: %1</source>
        <translation>the board&apos;s file table was not read: %1</translation>
    </message>
    <message>
        <source>передача прервана; сохранила ли его плата, неизвестно</source>
        <translation>upload interrupted; whether the board stored it is unknown</translation>
    </message>
    <message>
        <source>Остальные файлы не переданы:</source>
        <translation>The other files were not uploaded:</translation>
    </message>
    <message>
        <source>удаление прервано; удалила ли его плата, неизвестно</source>
        <translation>delete interrupted; whether the board deleted it is unknown</translation>
    </message>
    <message>
        <source>Остальные файлы не удалены:</source>
        <translation>The other files were not deleted:</translation>
    </message>
    <message>
        <source>получение прервано</source>
        <translation>download interrupted</translation>
    </message>
    <message>
        <source>Остальные файлы не получены:</source>
        <translation>The other files were not downloaded:</translation>
    </message>
    <message>
        <source>нет ответа в отведённое время</source>
        <translation>no answer in time</translation>
    </message>
    <message>
        <source>в соединении отказано</source>
        <translation>connection refused</translation>
    </message>
    <message>
        <source>сеть недоступна</source>
        <translation>network unreachable</translation>
    </message>
    <message>
        <source>не удалось подключиться к %1</source>
        <translation>could not connect to %1</translation>
    </message>
    <message>
        <source>не удалось подключиться к %1: %2</source>
        <translation>could not connect to %1: %2</translation>
    </message>
    <message>
        <source>соединение с %1 разорвано: плата не ответила в отведённое время</source>
        <translation>link to %1 dropped: the board did not answer in time</translation>
    </message>
    <message>
        <source>соединение с %1 потеряно: плата закрыла соединение</source>
        <translation>link to %1 lost: the board closed the connection</translation>
    </message>
    <message>
        <source>соединение с %1 потеряно</source>
        <translation>link to %1 lost</translation>
    </message>
    <message>
        <source>нет на плате</source>
        <translation>not on board</translation>
    </message>
    <message>
        <source>отказ</source>
        <translation>refused</translation>
    </message>
    <message>
        <source>прерван</source>
        <translation>interrupted</translation>
    </message>
    <message>
        <source>не сохранён</source>
        <translation>not saved</translation>
    </message>
    <message>
        <source>таблица файлов (имя, дата, размер, адрес, блок) и итоги</source>
        <translation>the file table (name, date, size, address, block) and the totals</translation>
    </message>
    <message>
        <source>только итоги: число файлов, общая, занятая и свободная память</source>
        <translation>the totals alone: file count, total, used and free memory</translation>
    </message>
    <message>
        <source>[-v] ФАЙЛ...</source>
        <translation>[-v] FILE...</translation>
    </message>
    <message>
        <source>put ФАЙЛ...</source>
        <translation>put FILE...</translation>
    </message>
    <message>
        <source>передать обычные файлы, не больше %1 за раз</source>
        <translation>upload regular files, at most %1 at a time</translation>
    </message>
    <message>
        <source>передан</source>
        <translation>uploaded</translation>
    </message>
    <message>
        <source>не передан</source>
        <translation>not uploaded</translation>
    </message>
    <message>
        <source>[-v] ИМЯ... [-o ПАПКА]</source>
        <translation>[-v] NAME... [-o FOLDER]</translation>
    </message>
    <message>
        <source>get ИМЯ... [-o ПАПКА]</source>
        <translation>get NAME... [-o FOLDER]</translation>
    </message>
    <message>
        <source>получить файлы в ПАПКУ (по умолчанию — текущую)</source>
        <translation>download files into FOLDER (default: the current one)</translation>
    </message>
    <message>
        <source>получен</source>
        <translation>downloaded</translation>
    </message>
    <message>
        <source>не получен</source>
        <translation>not downloaded</translation>
    </message>
    <message>
        <source>[-v] ИМЯ...</source>
        <translation>[-v] NAME...</translation>
    </message>
    <message>
        <source>rm ИМЯ...</source>
        <translation>rm NAME...</translation>
    </message>
    <message>
        <source>удалить</source>
        <translation>delete files</translation>
    </message>
    <message>
        <source>удалён</source>
        <translation>deleted</translation>
    </message>
    <message>
        <source>не удалён</source>
        <translation>not deleted</translation>
    </message>
    <message>
        <source>[--delete] [--dry-run] [--checksum] [--no-state] [--json] [-v] ПАПКА</source>
        <translation>[--delete] [--dry-run] [--checksum] [--no-state] [--json] [-v] FOLDER</translation>
    </message>
    <message>
        <source>sync ПАПКА</source>
        <translation>sync FOLDER</translation>
    </message>
    <message>
        <source>привести файлы платы к обычным файлам ПАПКИ (без вложенных папок)</source>
        <translation>make the board&apos;s files match the regular files of FOLDER (no subfolders)</translation>
    </message>
    <message>
        <source>%1 и %2</source>
        <comment>the last two of a list</comment>
        <translation>%1 and %2</translation>
    </message>
    <message>
        <source>плат: %1; успешно: %2; с ошибками: %3; недоступны: %4</source>
        <translation>boards: %1; succeeded: %2; failed: %3; unreachable: %4</translation>
    </message>
    <message>
        <source>%1: Файл не существует!</source>
        <translation>%1: No such file on the board.</translation>
    </message>
    <message>
        <source>-o: не папка: %1</source>
        <translation>-o: not a folder: %1</translation>
    </message>
    <message>
        <source>Передача отменена: ничего не передано.</source>
        <translation>Upload cancelled: nothing was uploaded.</translation>
    </message>
    <message>
        <source>не папка: %1</source>
        <translation>not a folder: %1</translation>
    </message>
    <message>
        <source>таблица файлов платы не прочитана</source>
        <translation>the board&apos;s file table was not read</translation>
    </message>
    <message>
        <source>Синхронизация отменена: ничего не изменено.</source>
        <translation>Sync cancelled: nothing was changed.</translation>
    </message>
    <message>
        <source>по записи</source>
        <translation>by record</translation>
    </message>
    <message>
        <source>по содержимому</source>
        <translation>by content</translation>
    </message>
    <message>
        <source>Плата не совпадает с папкой, файлы: %1</source>
        <translation>The board does not match the folder; files: %1</translation>
    </message>
    <message>
        <source>запись о прошлой синхронизации не принята (%1: %2); файлы сравниваются по содержимому</source>
        <translation>the record of the last sync was not taken (%1: %2); files are compared by content</translation>
    </message>
    <message>
        <source>запись о синхронизации не сохранена: %1</source>
        <translation>the sync record was not saved: %1</translation>
    </message>
    <message>
        <source>Использование: velmora-fs [--host АДРЕС] [--port N] [--board АДРЕС[:ПОРТ]]... [--boards ФАЙЛ] [--jobs N] [--retries N] [--retry-delay С] %1</source>
        <translation>Usage: velmora-fs [--host ADDRESS] [--port N] [--board ADDRESS[:PORT]]... [--boards FILE] [--jobs N] [--retries N] [--retry-delay S] %1</translation>
    </message>
    <message>
        <source>Показывает, передаёт, получает и удаляет файлы платы контроллера, как это делает окно;
приводит файлы платы к файлам папки; то же на многих платах сразу.
</source>
        <translation>Lists, uploads, downloads and deletes the files of the controller board, as the window does;
makes the board&apos;s files match a folder&apos;s; the same on many boards at once.
</translation>
    </message>
    <message>
        <source>Команды:</source>
        <translation>Commands:</translation>
    </message>
    <message>
        <source>put сначала проверяет всё, что можно узнать заранее: файлы, их имена (от 1 до %2
символов Latin-1), размеры и место в свободной памяти платы; если что-то не так, не
передаётся ничего. Если плата всё же откажет посреди передачи, переданные файлы остаются
на ней, а сообщение называет файл, на котором был отказ, и все не переданные.
get и rm называют имена, которых нет на плате, и получают или удаляют остальные; get
записывает и те файлы, что пришли целиком до отказа или обрыва.
Плата хранит файлы целыми 4-байтовыми словами, поэтому полученный файл может
оканчиваться нулевыми байтами (до трёх).

sync сравнивает файлы по содержимому, как их хранит плата (дополненному нулями до целых
слов), и передаёт только новые и изменённые; с --delete удаляет с платы файлы, которых в
папке нет. Сначала проверяется всё: имена, размеры и место в памяти платы после
синхронизации; если что-то не так, не меняется ничего. В stdout строка на каждый
изменённый файл: «+ ИМЯ» новый, «~ ИМЯ» изменён, «- ИМЯ» удалён; с -v и «= ИМЯ» для
совпадающего, а через табуляцию — как это узнано: «по записи» или «по содержимому».

Когда после sync плата совпадает с папкой, sync записывает для этой платы в папку кэша
пользователя (velmora/АДРЕС_ПОРТ.json) строку таблицы платы каждого файла и путь, размер,
время изменения и SHA-256 файла папки. Следующий sync не получает файл с платы, если его
строка в таблице та же, а файл папки тот же по размеру и времени или, если они другие,
по SHA-256. Время в таблице платы — целые секунды: файл того же размера, переписанный на
плате в ту же секунду на тот же адрес и в тот же блок, так не отличить; --checksum
сравнивает все файлы по содержимому.

С --board (можно несколько раз) или --boards команда выполняется на всех платах сразу,
не больше --jobs соединений одновременно. Каждая строка stdout начинается с «АДРЕС:ПОРТ: »,
каждая строка stderr — с «velmora-fs: АДРЕС:ПОРТ: »; --json даёт один документ, в котором
у каждой платы свой член «АДРЕС:ПОРТ» с её кодом выхода «exit»; get пишет файлы каждой
платы в ПАПКА/АДРЕС_ПОРТ/. Отказ одной платы не останавливает другие. В конце в stderr
итог: сколько плат успешно, с ошибками и недоступны, с их адресами.

Параметры:
  --host АДРЕС        IPv4-адрес платы только для этого запуска (по умолчанию — адрес из
                      pcbSettings.ini текущей папки, как у окна)
  --port N            TCP-порт платы для этого запуска, от 1 до 65535 (по умолчанию %3)
  --board АДРЕС[:ПОРТ]
                      ещё одна плата (порт по умолчанию %3); вместо --host и --port
  --boards ФАЙЛ       платы из файла: по одной АДРЕС[:ПОРТ] в строке, пустые строки и
                      всё после # пропускаются
  --jobs N            с --board и --boards: сколько плат соединять одновременно, от 1
                      до %4 (по умолчанию %5)
  --retries N         плату, которая недоступна или потеряла соединение, пробовать ещё
                      до N раз (по умолчанию 0): sync начинается заново, остальные
                      команды повторяются, только если на плате ещё ничего не изменено
  --retry-delay С     сколько секунд ждать первого повтора, каждого следующего — вдвое
                      дольше, но не больше часа (по умолчанию %6)
  --json              ls, df и sync: один документ JSON в stdout
  -o, --output ПАПКА  get: куда записать файлы; папка должна существовать
  -v, --verbose       put, get, rm: по строке на файл в stdout: итог, табуляция, файл;
                      итоги: передан, получен, удалён, нет на плате, отказ, прерван,
                      не передан, не получен, не удалён, не сохранён;
                      sync: ещё и «= ИМЯ» для каждого совпадающего файла
  --delete            sync: удалить с платы файлы, которых нет в папке
  --dry-run           sync: показать, что изменится, ничего не меняя
  --checksum          sync: сравнить все файлы по содержимому, не веря записи о прошлой
                      синхронизации (новая запись всё равно делается)
  --no-state          sync: не читать и не делать запись о синхронизации
  -h, --help          эта справка
  --version           имя и версия программы

Сообщения идут в stderr, и каждая их строка начинается с «velmora-fs: »; туда же ход
передачи, если stderr — терминал и плата одна. Код выхода: 0 — успех (sync: плата
совпадает с папкой); 1 — отказ платы или файла (и имя, которого нет на плате; sync: плату
не удалось привести к папке); 2 — ошибка в параметрах; 3 — плата недоступна или
соединение потеряно. На многих платах — худший код из всех: 3, затем 1, затем 0.
</source>
        <translation>put first checks all it can know beforehand: the files, their names (1 to %2 Latin-1
characters), their sizes and the room in the board&apos;s free memory; if anything fails, nothing
is uploaded. If the board still refuses a file in the middle of the upload, the files uploaded
before stay on it, and the message names the refused file and every file not uploaded.
get and rm name the names the board does not hold and download or delete the others; get
also writes the files that arrived whole before a refusal or a lost connection.
The board stores files in whole 4-byte words, so a downloaded file may end in up to three
zero bytes.

sync compares files by content, as the board stores them (padded with zeros to whole words),
and uploads only new and changed ones; with --delete it deletes the board files the folder
does not hold. Everything is checked first: names, sizes and the room in the board&apos;s memory
after the sync; if anything fails, nothing changes. stdout gets a line per changed file:
&quot;+ NAME&quot; new, &quot;~ NAME&quot; changed, &quot;- NAME&quot; deleted; with -v also &quot;= NAME&quot; for an equal one,
then a tab and how it was found equal: &quot;by record&quot; or &quot;by content&quot;.

When the board matches the folder after a sync, sync records for that board, in the user&apos;s
cache folder (velmora/ADDRESS_PORT.json), each file&apos;s row of the board&apos;s table and the local
file&apos;s path, size, modification time and SHA-256. The next sync does not download a file
from the board if its row in the table is the same and the local file has the same size and
time or, if these differ, the same SHA-256. Times in the board&apos;s table are whole seconds: a
file of the same size rewritten on the board within the same second, at the same address and
in the same block, cannot be told apart; --checksum compares every file by content.

With --board (as often as needed) or --boards the command runs on all the boards at once,
at most --jobs connections at a time. Every line of stdout starts with &quot;ADDRESS:PORT: &quot;,
every line of stderr with &quot;velmora-fs: ADDRESS:PORT: &quot;; --json gives one document with a
member &quot;ADDRESS:PORT&quot; per board holding its exit status &quot;exit&quot;; get writes each board&apos;s
files into FOLDER/ADDRESS_PORT/. A board that fails does not stop the others. At the end
stderr gets a summary: how many boards succeeded, failed and were unreachable, with their
addresses.

Options:
  --host ADDRESS      the board&apos;s IPv4 address for this run only (default: the address in
                      pcbSettings.ini of the current folder, as the window uses)
  --port N            the board&apos;s TCP port for this run, 1 to 65535 (default %3)
  --board ADDRESS[:PORT]
                      one more board (default port %3); instead of --host and --port
  --boards FILE       boards from a file: one ADDRESS[:PORT] a line; blank lines and
                      everything after # are skipped
  --jobs N            with --board and --boards: how many boards to connect at a time, 1
                      to %4 (default %5)
  --retries N         try a board that is unreachable or lost its connection again, up
                      to N times (default 0): sync starts over, the other commands are
                      tried again only if nothing on the board has changed yet
  --retry-delay S     seconds to wait before the first retry, twice as long before each
                      further one, an hour at most (default %6)
  --json              ls, df and sync: one JSON document on stdout
  -o, --output FOLDER get: where to write the files; the folder must exist
  -v, --verbose       put, get, rm: a line per file on stdout: outcome, tab, file;
                      outcomes: uploaded, downloaded, deleted, not on board, refused,
                      interrupted, not uploaded, not downloaded, not deleted, not saved;
                      sync: also &quot;= NAME&quot; for each equal file
  --delete            sync: delete the board files the folder does not hold
  --dry-run           sync: show what would change, changing nothing
  --checksum          sync: compare every file by content, not trusting the record of the
                      last sync (a new record is still made)
  --no-state          sync: neither read nor make the sync record
  -h, --help          this help
  --version           the program&apos;s name and version

Messages go to stderr, each of their lines starting with &quot;velmora-fs: &quot;; so does the
upload progress when stderr is a terminal and there is one board. Exit status: 0 success
(sync: the board matches the folder); 1 a board or a file refused (also a name the board
does not hold; sync: the board could not be made to match the folder); 2 a usage error; 3
the board is unreachable or the connection was lost. On many boards, the worst status of
all: 3, then 1, then 0.
</translation>
    </message>
    <message>
        <source>не IPv4-адрес: %1</source>
        <translation>not an IPv4 address: %1</translation>
    </message>
    <message>
        <source>нужен порт от 1 до 65535: %1</source>
        <translation>a port from 1 to 65535 is needed: %1</translation>
    </message>
    <message>
        <source>--boards: не удалось прочитать %1: %2</source>
        <translation>--boards: could not read %1: %2</translation>
    </message>
    <message>
        <source>%1 не принимает аргументов: %2</source>
        <translation>%1 takes no arguments: %2</translation>
    </message>
    <message>
        <source>%1: не указана папка</source>
        <translation>%1: no folder given</translation>
    </message>
    <message>
        <source>%1 принимает одну папку: %2</source>
        <translation>%1 takes one folder: %2</translation>
    </message>
    <message>
        <source>%1: не указано ни одного файла</source>
        <translation>%1: no file given</translation>
    </message>
    <message>
        <source>--json — только для %1</source>
        <translation>--json is for %1 only</translation>
    </message>
    <message>
        <source>-v — только для %1</source>
        <translation>-v is for %1 only</translation>
    </message>
    <message>
        <source>-o — только для %1</source>
        <translation>-o is for %1 only</translation>
    </message>
    <message>
        <source>--%1 — только для %2</source>
        <translation>--%1 is for %2 only</translation>
    </message>
    <message>
        <source>%1 передаёт не больше %2 файлов за раз</source>
        <translation>%1 uploads at most %2 files at a time</translation>
    </message>
    <message>
        <source>не имя файла платы (от 1 до %1 символов Latin-1): %2</source>
        <translation>not a board file name (1 to %1 Latin-1 characters): %2</translation>
    </message>
    <message>
        <source>--host: не IPv4-адрес: %1</source>
        <translation>--host: not an IPv4 address: %1</translation>
    </message>
    <message>
        <source>--port: нужно число от 1 до 65535: %1</source>
        <translation>--port: a number from 1 to 65535 is needed: %1</translation>
    </message>
    <message>
        <source>--host и --port — для одной платы, с --board и --boards их не указывают</source>
        <translation>--host and --port are for one board; do not give them with --board or --boards</translation>
    </message>
    <message>
        <source>--boards: в файле нет ни одной платы</source>
        <translation>--boards: the file names no board</translation>
    </message>
    <message>
        <source>--jobs — только вместе с --board или --boards</source>
        <translation>--jobs goes only with --board or --boards</translation>
    </message>
    <message>
        <source>--jobs: нужно число от 1 до %1: %2</source>
        <translation>--jobs: a number from 1 to %1 is needed: %2</translation>
    </message>
    <message>
        <source>--retries: нужно число от 0 до %1: %2</source>
        <translation>--retries: a number from 0 to %1 is needed: %2</translation>
    </message>
    <message>
        <source>--retry-delay: нужно число секунд от 0 до %1: %2</source>
        <translation>--retry-delay: a number of seconds from 0 to %1 is needed: %2</translation>
    </message>
    <message>
        <source>не JSON</source>
        <translation>not JSON</translation>
    </message>
    <message>
        <source>чужой формат или версия</source>
        <translation>another format or version</translation>
    </message>
    <message>
        <source>записан для другой платы</source>
        <translation>written for another board</translation>
    </message>
    <message>
        <source>неверная запись файла</source>
        <translation>a file&apos;s record is wrong</translation>
    </message>
    <message>
        <source>не удалось создать папку</source>
        <translation>could not create the folder</translation>
    </message>
    <message>
        <source>«%1»</source>
        <comment>a file&apos;s name in a message</comment>
        <translation>&quot;%1&quot;</translation>
    </message>
</context>
<context>
    <name>Vmc</name>
    <message>
        <source>ошибка</source>
        <translation>error</translation>
    </message>
    <message>
        <source>предупреждение</source>
        <translation>warning</translation>
    </message>
    <message>
        <source>Использование: vmc КОМАНДА [ПАРАМЕТРЫ] ...
Файлы конфигураций платы (.vmc): файлы вкладок и model id файлы.

Команды:
  dump [--json] [--textconv] ФАЙЛ...  показать файлы в читаемом виде
  check [--strict] ФАЙЛ...            найти то, что окно прочтёт не так или потеряет
  diff A B                            различия двух конфигураций (файлов или папок)
  pack ПАПКА -o ФАЙЛ [--model-id N]   собрать файлы вкладок папки в model id файл
  unpack ФАЙЛ -o ПАПКА                разложить model id файл на файлы вкладок
  report ФАЙЛ -o ОТЧЁТ [--csv CSV]    отчёт о конфигурации для людей и печати: HTML, CSV

Файл читается по своему имени, как его читает окно. --type ИМЯ (dump, check, diff, unpack,
report) читает каждый файл команды под другим именем: как файл вкладки
(GpioPortsSettings.vmc и другие) или как model id файл (ModelId_N.vmc). С --type вместо
файла можно указать - (стандартный ввод).

Подробнее о команде: vmc КОМАНДА --help. Версия: vmc --version.

Код выхода:
  0  всё в порядке: ошибок нет (check), конфигурации равны (diff), файлы записаны
  1  найдены ошибки (check; с --strict и предупреждения; report: отчёт записан),
     конфигурации различаются (diff), в записи отказано (pack: слишком большая
     конфигурация; unpack: файл повреждён)
  2  ошибка в параметрах, файл не прочитан или не записан
</source>
        <translation>Usage: vmc COMMAND [OPTIONS] ...
The board&apos;s configuration files (.vmc): tab files and model id files.

Commands:
  dump [--json] [--textconv] FILE...  show files in readable form
  check [--strict] FILE...            find what the builder would read differently or lose
  diff A B                            differences of two configurations (files or folders)
  pack FOLDER -o FILE [--model-id N]  pack a folder&apos;s tab files into a model id file
  unpack FILE -o FOLDER               split a model id file into tab files
  report FILE -o REPORT [--csv CSV]   configuration report for people and printers: HTML, CSV

A file is read by its name, as the builder reads it. --type NAME (dump, check, diff, unpack,
report) reads every file of the command under another name: as a tab file
(GpioPortsSettings.vmc and the others) or as a model id file (ModelId_N.vmc). With --type,
- (standard input) can stand for a file.

More on a command: vmc COMMAND --help. Version: vmc --version.

Exit status:
  0  all well: no errors (check), configurations equal (diff), files written
  1  errors found (check; with --strict also warnings; report: report written),
     configurations differ (diff), writing refused (pack: configuration too
     large; unpack: file damaged)
  2  usage error, a file not read or not written
</translation>
    </message>
    <message>
        <source>  --type ИМЯ   читать файлы под этим именем: файла вкладки или ModelId_N.vmc; тогда
               вместо файла можно указать - (стандартный ввод)
</source>
        <translation>  --type NAME  read the files under this name: a tab file&apos;s or ModelId_N.vmc; then
               - (standard input) can stand for a file
</translation>
    </message>
    <message>
        <source>Использование: vmc КОМАНДА ... (vmc --help)</source>
        <translation>Usage: vmc COMMAND ... (vmc --help)</translation>
    </message>
    <message>
        <source>--textconv и --json не используются вместе</source>
        <translation>--textconv and --json cannot be used together</translation>
    </message>
    <message>
        <source>Использование: %1

%2
Параметры:
%3%4</source>
        <translation>Usage: %1

%2
Options:
%3%4</translation>
    </message>
    <message>
        <source>не то число файлов</source>
        <translation>wrong number of files</translation>
    </message>
    <message>
        <source>--type %1: не имя файла вкладки и не ModelId_N.vmc</source>
        <translation>--type %1: neither a tab file name nor ModelId_N.vmc</translation>
    </message>
    <message>
        <source>стандартный ввод (-) читается только с --type ИМЯ</source>
        <translation>standard input (-) is read only with --type NAME</translation>
    </message>
    <message>
        <source>Использование: %1</source>
        <translation>Usage: %1</translation>
    </message>
    <message>
        <source>не удалось прочитать стандартный ввод</source>
        <translation>cannot read standard input</translation>
    </message>
    <message>
        <source>не удалось прочитать %1: %2</source>
        <translation>cannot read %1: %2</translation>
    </message>
    <message>
        <source>Файл не прочитан: %1
</source>
        <translation>File not read: %1
</translation>
    </message>
    <message>
        <source>у %1 и %2 нет общих вкладок</source>
        <translation>%1 and %2 have no tab in common</translation>
    </message>
    <message>
        <source>%1 — не папка</source>
        <translation>%1 is not a folder</translation>
    </message>
    <message>
        <source>model id — число от 0 до 255</source>
        <translation>the model id is a number from 0 to 255</translation>
    </message>
    <message>
        <source>имя %1 не говорит model id %2: окно назвало бы файл %3</source>
        <translation>the name %1 does not say model id %2: the builder would name the file %3</translation>
    </message>
    <message>
        <source>не указан -o</source>
        <translation>-o is missing</translation>
    </message>
    <message>
        <source>%1 — папка: укажите --model-id или имя файла ModelId_N.vmc</source>
        <translation>%1 is a folder: give --model-id or a file name ModelId_N.vmc</translation>
    </message>
    <message>
        <source>окно не загрузит %1 как model id файл: имя должно быть ModelId_N.vmc</source>
        <translation>the builder would not load %1 as a model id file: the name must be ModelId_N.vmc</translation>
    </message>
    <message>
        <source>%1 — не model id файл</source>
        <translation>%1 is not a model id file</translation>
    </message>
    <message>
        <source>%1 повреждён: файлы вкладок не записаны</source>
        <translation>%1 is damaged: no tab files written</translation>
    </message>
    <message>
        <source>%1 — источник отчёта: отчёт его не заменит</source>
        <translation>%1 is the report&apos;s source: the report will not replace it</translation>
    </message>
    <message>
        <source>-o и --csv называют один файл %1</source>
        <translation>-o and --csv name the same file %1</translation>
    </message>
    <message>
        <source>%1: ошибок: %2, предупреждений: %3; они перечислены в отчёте %4</source>
        <translation>%1: errors: %2, warnings: %3; the report %4 lists them</translation>
    </message>
    <message>
        <source>vmc dump [--json] [--textconv] [--type ИМЯ] ФАЙЛ...</source>
        <translation>vmc dump [--json] [--textconv] [--type NAME] FILE...</translation>
    </message>
    <message>
        <source>Показывает файлы вкладок, model id файлы и папки файлов вкладок в читаемом виде: заголовок
model id файла, выводы по разъёмам, записи регистров, каналов и привязок, маркеры конца и
байты, которые окно не читает (в шестнадцатеричном виде). Вывод устойчив и подходит для
git diff (textconv).
</source>
        <translation>Shows tab files, model id files and folders of tab files in readable form: the model id
file&apos;s header, the pins by header, the records of registers, channels and links, end marks
and the bytes the builder does not read (in hexadecimal). The output is stable and suits
git diff (textconv).
</translation>
    </message>
    <message>
        <source>  --json       документ JSON; для нескольких файлов — один массив JSON
  --textconv   для git diff: принимает временные копии git (XXXXXX_ИМЯ), называет файл
               только по имени и никогда не завершается ошибкой: файл, который не
               читается как конфигурация (например, backup.vmc), показывается
               шестнадцатеричным дампом (смещение, 16 байт в строке)
</source>
        <translation>  --json       a JSON document; for several files, one JSON array
  --textconv   for git diff: takes git&apos;s temporary copies (XXXXXX_NAME), names the file
               by its name alone and never fails: a file that does not read as a
               configuration (backup.vmc, say) is shown as a hexadecimal dump
               (offset, 16 bytes a line)
</translation>
    </message>
    <message>
        <source>vmc check [--strict] [--type ИМЯ] ФАЙЛ...</source>
        <translation>vmc check [--strict] [--type NAME] FILE...</translation>
    </message>
    <message>
        <source>Ищет то, что окно прочтёт иначе или потеряет. Одна строка на находку:
  ФАЙЛ: МЕСТО: ошибка: ТЕКСТ
  ФАЙЛ: МЕСТО: предупреждение: ТЕКСТ
Ошибка: окно прочтёт файл не так, как он записан, потеряет или изменит данные, или файл
повреждён (размеры блоков, неполные записи, записи после маркера конца, записи заголовка,
секции за концом файла, лишние байты, коды, которых нет ни в одном меню, код 240 у
доступного вывода, строки несуществующих выводов, повторы).
Предупреждение: файл цел, но конфигурация выглядит неполной (линии цепочек SPI нет или
она у нескольких выводов, строки TI ADC и PWM не совпадают с выводами, число привязок не
то, что получило бы окно). Файл без находок не упоминается.
Код выхода: 0 — ошибок нет, 1 — есть ошибки (с --strict — любые находки), 2 — файл не
прочитан.
</source>
        <translation>Finds what the builder would read differently or lose. One line per finding:
  FILE: PLACE: error: TEXT
  FILE: PLACE: warning: TEXT
Error: the builder would read the file other than it is written, lose or change data, or the
file is damaged (block sizes, partial records, records after an end mark, header entries,
sections past the end of the file, stray bytes, codes no menu offers, code 240 on an
available pin, rows of pins that do not exist, duplicates).
Warning: the file is sound but the configuration looks incomplete (an SPI chain line missing
or on several pins, TI ADC and PWM rows that disagree with the pins, a link count other than
the builder would derive). A file without findings is not mentioned.
Exit status: 0 no errors, 1 errors (with --strict, any finding), 2 a file not
read.
</translation>
    </message>
    <message>
        <source>  --strict     код выхода 1 и при одних предупреждениях
</source>
        <translation>  --strict     exit status 1 on warnings alone too
</translation>
    </message>
    <message>
        <source>vmc diff [--type ИМЯ] A B</source>
        <translation>vmc diff [--type NAME] A B</translation>
    </message>
    <message>
        <source>Различия двух конфигураций: двух model id файлов, двух файлов вкладок или двух папок файлов
вкладок. По строке на вывод, запись регистра, канал и привязку. Код выхода 1, если различаются.
</source>
        <translation>Differences of two configurations: two model id files, two tab files or two folders of tab
files. One line per pin, register record, channel and link. Exit status 1 if they differ.
</translation>
    </message>
    <message>
        <source>vmc pack ПАПКА -o ФАЙЛ [--model-id N]</source>
        <translation>vmc pack FOLDER -o FILE [--model-id N]</translation>
    </message>
    <message>
        <source>Собирает файлы вкладок папки в один model id файл, как его записало бы окно (отсутствующие
файлы — пустые вкладки). Файл, который окно не загрузило бы как model id файл (имя не
ModelId_N.vmc), не записывается.
</source>
        <translation>Packs a folder&apos;s tab files into one model id file as the builder would write it (missing
files are empty tabs). A file the builder would not load as a model id file (a name other
than ModelId_N.vmc) is not written.
</translation>
    </message>
    <message>
        <source>  -o ФАЙЛ         куда записать; с --model-id может быть папкой
  --model-id N    model id 0..255: файл называется ModelId_N.vmc
</source>
        <translation>  -o FILE         where to write; with --model-id it may be a folder
  --model-id N    model id 0..255: the file is named ModelId_N.vmc
</translation>
    </message>
    <message>
        <source>vmc unpack [--type ИМЯ] ФАЙЛ -o ПАПКА</source>
        <translation>vmc unpack [--type NAME] FILE -o FOLDER</translation>
    </message>
    <message>
        <source>Раскладывает model id файл на десять файлов вкладок, как их записало бы окно. Повреждённый
файл не раскладывается: vmc называет повреждения и не пишет ни одного файла (код выхода 1).
</source>
        <translation>Splits a model id file into ten tab files as the builder would write them. A damaged file is
not split: vmc names the damage and writes no file (exit status 1).
</translation>
    </message>
    <message>
        <source>  -o ПАПКА   куда записать файлы
</source>
        <translation>  -o FOLDER  where to write the files
</translation>
    </message>
    <message>
        <source>vmc report [--type ИМЯ] ФАЙЛ -o ОТЧЁТ.html [--csv ВЫВОДЫ.csv]</source>
        <translation>vmc report [--type NAME] FILE -o REPORT.html [--csv PINS.csv]</translation>
    </message>
    <message>
        <source>Отчёт о конфигурации для людей и печати (A4): один файл HTML без скриптов и внешних
ресурсов. В нём model id, файлы источника с размерами и SHA-256, программа и дата; разъёмы
X6–X9, нарисованные как есть (2 × 10 позиций), и выводы вне разъёмов: у каждого вывода
позиция, порт и функция, цвет, узор и буквы группы функций; таблица каждой непустой
вкладки и находки проверки, как их пишет vmc check, со ссылками на выводы и строки.
ФАЙЛ — model id файл, файл вкладки или папка файлов вкладок.
--csv добавляет таблицу выводов: строка на вывод (X6–X9 по позициям, затем выводы вне
разъёмов по номерам): разъём, позиция, вывод, порт, код и функция, индекс, вкладки, которые
используют вывод. UTF-8, запятые, кавычки по RFC 4180, строки оканчиваются CRLF.
Дата отчёта — текущая или, если задана переменная SOURCE_DATE_EPOCH, её время (UTC):
тогда один и тот же файл даёт один и тот же отчёт.
Код выхода: 0 — отчёт записан, 1 — записан, но проверка нашла ошибки (файл повреждён или
окно прочтёт его иначе), 2 — ошибка в параметрах, файл не прочитан или отчёт не записан.
</source>
        <translation>A configuration report for people and printers (A4): one HTML file without scripts or
external resources. It holds the model id, the source files with their sizes and SHA-256,
the program and the date; headers X6-X9 drawn as they are (2 x 10 positions) and the pins
on no header: each pin with its position, port and function, the colour, pattern and
letters of its function group; a table for each tab that holds anything, and the findings
as vmc check words them, with links to the pins and rows.
FILE is a model id file, a tab file or a folder of tab files.
--csv adds the pin table: a line per pin (X6-X9 by position, then the pins on no header
by number): header, position, pin, port, code and function, index, the tabs that use
the pin. UTF-8, commas, quoted as RFC 4180 says, CRLF line ends.
The report&apos;s date is now or, when SOURCE_DATE_EPOCH is set, its time (UTC):
then the same file gives the same report.
Exit status: 0 report written, 1 written, but the check found errors (the file is damaged
or the builder would read it differently), 2 usage error, a file not read or the report not written.
</translation>
    </message>
    <message>
        <source>  -o ОТЧЁТ     куда записать отчёт HTML
  --csv ФАЙЛ   куда записать таблицу выводов CSV
</source>
        <translation>  -o REPORT    where to write the HTML report
  --csv FILE   where to write the CSV pin table
</translation>
    </message>
    <message>
        <source>%1, запись %2</source>
        <translation>%1, record %2</translation>
    </message>
    <message>
        <source>%1: код %2 -&gt; %3</source>
        <translation>%1: code %2 -&gt; %3</translation>
    </message>
    <message>
        <source>%1: индекс %2 -&gt; %3</source>
        <translation>%1: index %2 -&gt; %3</translation>
    </message>
    <message>
        <source>%1: удалена (%2)</source>
        <translation>%1: removed (%2)</translation>
    </message>
    <message>
        <source>%1: добавлена (%2)</source>
        <translation>%1: added (%2)</translation>
    </message>
    <message>
        <source>%1: %2 байт -&gt; %3 байт</source>
        <translation>%1: %2 bytes -&gt; %3 bytes</translation>
    </message>
    <message>
        <source>%1: различаются только байты, которые окно не читает</source>
        <translation>%1: only bytes the builder does not read differ</translation>
    </message>
    <message>
        <source>файл вкладки</source>
        <translation>tab file</translation>
    </message>
    <message>
        <source>model id файл</source>
        <translation>model id file</translation>
    </message>
    <message>
        <source>папка файлов вкладок</source>
        <translation>folder of tab files</translation>
    </message>
    <message>
        <source>[%1] пусто</source>
        <translation>[%1] empty</translation>
    </message>
    <message>
        <source>[%1] %2 байт: окно не читает такой блок</source>
        <translation>[%1] %2 bytes: the builder does not read such a block</translation>
    </message>
    <message>
        <source>[%1] %2 байт</source>
        <translation>[%1] %2 bytes</translation>
    </message>
    <message>
        <source>    %1 %2: код %3 «%4», индекс %5</source>
        <translation>    %1 %2: code %3 &quot;%4&quot;, index %5</translation>
    </message>
    <message>
        <source>[%1] %2 байт, записей %3</source>
        <translation>[%1] %2 bytes, %3 records</translation>
    </message>
    <message>
        <source>  маркер конца в записи %1; целых записей после него: %2, не читаются</source>
        <translation>  end mark in record %1; whole records after it: %2, not read</translation>
    </message>
    <message>
        <source>  байт после последней целой записи: %1, не читаются</source>
        <translation>  bytes after the last whole record: %1, not read</translation>
    </message>
    <message>
        <source>Не файл конфигурации: окно не загрузит файл с таким именем. %1 байт:</source>
        <translation>Not a configuration file: the builder does not load a file of this name. %1 bytes:</translation>
    </message>
    <message>
        <source>Файл: %1 (%2)</source>
        <translation>File: %1 (%2)</translation>
    </message>
    <message>
        <source>Файл короче заголовка: %1 байт из %2; окно возьмёт только model id</source>
        <translation>File shorter than the header: %1 bytes of %2; the builder takes the model id only</translation>
    </message>
    <message>
        <source>Заголовок:</source>
        <translation>Header:</translation>
    </message>
    <message>
        <source>  %1 %2 смещение %3 размер %4 %5</source>
        <translation>  %1 %2 offset %3 size %4 %5</translation>
    </message>
    <message>
        <source>в файле</source>
        <translation>in the file</translation>
    </message>
    <message>
        <source>за концом файла</source>
        <translation>past the end of the file</translation>
    </message>
    <message>
        <source>Байт после последней секции: %1 (смещение %2), не читаются</source>
        <translation>Bytes after the last section: %1 (offset %2), not read</translation>
    </message>
    <message>
        <source>%1 — папка, а --type задаёт тип файла</source>
        <translation>%1 is a folder, but --type gives a file&apos;s type</translation>
    </message>
    <message>
        <source>Неизвестный файл %1! Прочитать его как файл конфигурации: --type ИМЯ</source>
        <translation>Unknown file %1. To read it as a configuration file: --type NAME</translation>
    </message>
    <message>
        <source>Конфигурация слишком велика для model id файла: %1 байт данных, допустимо не более %2.</source>
        <translation>The configuration is too large for a model id file: %1 bytes of data, at most %2 allowed.</translation>
    </message>
    <message>
        <source>не удалось создать папку %1</source>
        <translation>cannot create folder %1</translation>
    </message>
    <message>
        <source>; не записаны также: %1</source>
        <translation>; also not written: %1</translation>
    </message>
    <message>
        <source>не удалось записать файл %1: %2</source>
        <translation>cannot write file %1: %2</translation>
    </message>
    <message>
        <source>стандартный ввод (как %1)</source>
        <translation>standard input (as %1)</translation>
    </message>
    <message>
        <source>SOURCE_DATE_EPOCH=%1: не число секунд от 1970-01-01 00:00 UTC</source>
        <translation>SOURCE_DATE_EPOCH=%1: not a number of seconds since 1970-01-01 00:00 UTC</translation>
    </message>
</context>
</TS>

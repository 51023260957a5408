#include "functioncatalogue.h"

#include <QCoreApplication>

namespace Functions {

namespace {
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Functions)
};

QString iconOf(int code)
{
    return QStringLiteral(":/icons/images/Num_%1.png").arg(code);
}

const char kFallbackText[] = QT_TRANSLATE_NOOP("Functions", "Порт не используется");
const char kNotAvailableText[] = QT_TRANSLATE_NOOP("Functions", "Порт не доступен для использования");
} // namespace

QString fallbackIconPath()
{
    return QStringLiteral(":/icons/images/Ok.png");
}

QString fallbackToolTip()
{
    return Texts::tr(kFallbackText);
}

QString notAvailableToolTip()
{
    return Texts::tr(kNotAvailableText);
}

QString translated(const QString &source)
{
    return Texts::tr(source.toUtf8().constData());
}

QString displayText(const FunctionInfo &info)
{
    return translated(info.text);
}

const std::array<FunctionInfo, kFunctionCount> &catalogue()
{
    static const std::array<FunctionInfo, kFunctionCount> table = {{
        {0, iconOf(0), QT_TRANSLATE_NOOP("Functions", "Порт не используется")},
        {1, iconOf(1), QT_TRANSLATE_NOOP("Functions", "Дискретный вход PULL_DOWN")},
        {2, iconOf(2), QT_TRANSLATE_NOOP("Functions", "Дискретный вход PULL_UP")},
        {3, iconOf(3), QT_TRANSLATE_NOOP("Functions", "Дискретный вход HI-Z")},
        {4, iconOf(4), QT_TRANSLATE_NOOP("Functions", "Моностабильный выход")},
        {25, iconOf(25), QT_TRANSLATE_NOOP("Functions", "Моностабильный инверсный выход")},
        {5, iconOf(5), QT_TRANSLATE_NOOP("Functions", "бистабильный выход ON")},
        {6, iconOf(6), QT_TRANSLATE_NOOP("Functions", "бистабильный выход OFF")},
        {26, iconOf(26), QT_TRANSLATE_NOOP("Functions", "бистабильный выход ON без индикации")},
        {27, iconOf(27), QT_TRANSLATE_NOOP("Functions", "бистабильный выход OFF без индикации")},
        {7, iconOf(7), QT_TRANSLATE_NOOP("Functions", "Аналоговый вход")},
        {8, iconOf(8), QT_TRANSLATE_NOOP("Functions", "Аналоговый (PWM) выход")},
        {9, iconOf(9), QT_TRANSLATE_NOOP("Functions", "SPI MOSI для DO регистров")},
        {10, iconOf(10), QT_TRANSLATE_NOOP("Functions", "SPI CLK для DO регистров")},
        {11, iconOf(11), QT_TRANSLATE_NOOP("Functions", "SPI DIAG для DO регистров")},
        {12, iconOf(12), QT_TRANSLATE_NOOP("Functions", "SPI CS для DO регистров")},
        {13, iconOf(13), QT_TRANSLATE_NOOP("Functions", "SPI MISO для DI регистров")},
        {14, iconOf(14), QT_TRANSLATE_NOOP("Functions", "SPI CLK для DI регистров")},
        {15, iconOf(15), QT_TRANSLATE_NOOP("Functions", "SPI DIAG для DI регистров")},
        {16, iconOf(16), QT_TRANSLATE_NOOP("Functions", "SPI CS для DI регистров")},
        {17, iconOf(17), QT_TRANSLATE_NOOP("Functions", "SPI MISO для внешних ADC")},
        {18, iconOf(18), QT_TRANSLATE_NOOP("Functions", "SPI MOSI для внешних ADC")},
        {19, iconOf(19), QT_TRANSLATE_NOOP("Functions", "SPI CLK для внешних ADC")},
        {21, iconOf(21), QT_TRANSLATE_NOOP("Functions", "SPI CS для внешних ADC")},
        {22, iconOf(22), QT_TRANSLATE_NOOP("Functions", "порт UART")},
        {23, iconOf(23), QT_TRANSLATE_NOOP("Functions", "Model id платы")},
        {28, iconOf(28), QT_TRANSLATE_NOOP("Functions", "Сброс настроек сети в дефолт")},
        {29, iconOf(29), QT_TRANSLATE_NOOP("Functions", "Сброс всех настроек в дефолт")},
        {30, iconOf(30), QT_TRANSLATE_NOOP("Functions", "Сброс настроек сети в дефолт. PullUp")},
        {31, iconOf(31), QT_TRANSLATE_NOOP("Functions", "Сброс всех настроек в дефолт. PullUp")},
        {24, iconOf(24), QT_TRANSLATE_NOOP("Functions", "Светодиод индикации состояния")},
    }};
    return table;
}

const QVector<int> &codesOf(FunctionList list)
{
    static const QVector<int> common = {0, 7, 8, 22, 23};
    static const QVector<int> discreteInput = {1, 2, 3};
    static const QVector<int> discreteOutput = {4, 25, 5, 6, 26, 27};
    static const QVector<int> spiDo = {9, 10, 11, 12};
    static const QVector<int> spiDi = {13, 14, 15, 16};
    static const QVector<int> spiAdc = {17, 18, 19, 21};
    static const QVector<int> reset = {28, 29, 30, 31};
    static const QVector<int> doReg = {0, 4, 25, 5, 6, 26, 27, 21, 24};
    static const QVector<int> diReg = {0, 23, 1, 2, 3, 28, 29, 30, 31};
    switch (list) {
    case FunctionList::Common:
        return common;
    case FunctionList::DiscreteInput:
        return discreteInput;
    case FunctionList::DiscreteOutput:
        return discreteOutput;
    case FunctionList::SpiDo:
        return spiDo;
    case FunctionList::SpiDi:
        return spiDi;
    case FunctionList::SpiAdc:
        return spiAdc;
    case FunctionList::Reset:
        return reset;
    case FunctionList::DoReg:
        return doReg;
    case FunctionList::DiReg:
        break;
    }
    return diReg;
}

const std::array<FunctionList, 7> &gpioGroups()
{
    static const std::array<FunctionList, 7> groups = {
        FunctionList::Common, FunctionList::DiscreteInput, FunctionList::DiscreteOutput, FunctionList::SpiDo,
        FunctionList::SpiDi,  FunctionList::SpiAdc,        FunctionList::Reset,
    };
    return groups;
}

const FunctionInfo *findFunction(int code)
{
    for (const FunctionInfo &info : catalogue()) {
        if (info.code == code)
            return &info;
    }
    return nullptr;
}

const FunctionInfo *findInList(FunctionList list, int code)
{
    return codesOf(list).contains(code) ? findFunction(code) : nullptr;
}

const FunctionInfo *findGpioFunction(int code)
{
    for (FunctionList list : gpioGroups()) {
        if (const FunctionInfo *info = findInList(list, code))
            return info;
    }
    return nullptr;
}

const FunctionInfo *findDoRegFunction(int code)
{
    return findInList(FunctionList::DoReg, code);
}

const FunctionInfo *findDiRegFunction(int code)
{
    return findInList(FunctionList::DiReg, code);
}

Appearance appearanceOf(Context context, int code)
{
    Appearance appearance;
    if (context == Context::GpioPin && code == kNotAvailableCode) {
        appearance.available = false;
        appearance.storedCode = kNotAvailableCode;
        appearance.source = QString::fromUtf8(kNotAvailableText);
        appearance.toolTip = notAvailableToolTip();
        return appearance;
    }
    const FunctionInfo *info = nullptr;
    switch (context) {
    case Context::GpioPin:
        info = findGpioFunction(code);
        break;
    case Context::DoRegister:
        info = findDoRegFunction(code);
        break;
    case Context::DiRegister:
        info = findDiRegFunction(code);
        break;
    }
    if (info) {
        appearance.storedCode = info->code;
        appearance.iconPath = info->iconPath;
        appearance.source = info->text;
    } else {
        appearance.storedCode = kFallbackCode;
        appearance.iconPath = fallbackIconPath();
        appearance.source = QString::fromUtf8(kFallbackText);
    }
    appearance.toolTip = translated(appearance.source);
    return appearance;
}

std::optional<Context> contextOf(Blocks::Section section)
{
    switch (section) {
    case Blocks::Section::Gpio:
        return Context::GpioPin;
    case Blocks::Section::RegDo:
        return Context::DoRegister;
    case Blocks::Section::RegDi:
        return Context::DiRegister;
    default:
        return std::nullopt;
    }
}

} // namespace Functions

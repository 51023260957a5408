#pragma once

#include "datablocks.h"

#include <QString>
#include <QVector>
#include <array>
#include <optional>

// The pin and register-channel functions: their codes, icons and texts, and the lists that
// group them into menus. Plain data, so the writers and tools can use it without widgets.
namespace Functions {

struct FunctionInfo
{
    int code = 0;
    QString iconPath;
    QString text; // in Russian in every language; displayText() translates it
};

// The function's text in the user's language, as its menu and tool tip show it.
QString displayText(const FunctionInfo &info);
// A function's text in Russian (an Appearance's source) in the user's language.
QString translated(const QString &source);

constexpr int kFunctionCount = 31;
// Stored for a pin that cannot be used; never offered in a menu.
constexpr int kNotAvailableCode = 240;
// What a stored code unknown to its context is shown and stored back as.
constexpr int kFallbackCode = 0;

QString fallbackIconPath();    // ":/icons/images/Ok.png"
QString fallbackToolTip();     // "Порт не используется"
QString notAvailableToolTip(); // "Порт не доступен для использования"

enum class FunctionList
{
    Common,
    DiscreteInput,
    DiscreteOutput,
    SpiDo,
    SpiDi,
    SpiAdc,
    Reset,
    DoReg,
    DiReg,
};
constexpr std::size_t kFunctionListCount = 9;

// The 31 functions in catalogue order (the order the window creates its actions in).
const std::array<FunctionInfo, kFunctionCount> &catalogue();

// The codes of one list, in menu order.
const QVector<int> &codesOf(FunctionList list);

// The seven lists that make up the pin menu, in lookup order.
const std::array<FunctionList, 7> &gpioGroups();

// The function with this code in the catalogue, or none (20, above 31).
const FunctionInfo *findFunction(int code);
// The function with this code when the list offers it, or none.
const FunctionInfo *findInList(FunctionList list, int code);
// A pin's code: the first of the GPIO groups that holds it wins.
const FunctionInfo *findGpioFunction(int code);
const FunctionInfo *findDoRegFunction(int code);
const FunctionInfo *findDiRegFunction(int code);

enum class Context
{
    GpioPin,
    DoRegister,
    DiRegister
};

// How a stored code is shown in a row: the icon and tool tip of its button and the code the
// row keeps. An empty icon path means the row is shown as not available.
struct Appearance
{
    bool available = true;
    int storedCode = kFallbackCode;
    QString iconPath;
    QString toolTip;
    QString source; // the tool tip in Russian, the same in every language
};

Appearance appearanceOf(Context context, int code);

// The menu whose codes a section's rows keep: the pins' and the two register chains'. Other
// sections keep no function codes.
std::optional<Context> contextOf(Blocks::Section section);

} // namespace Functions

#pragma once

#include "tab.h"

class QSpinBox;

// A tab of register rows, eight per register (or ADC) of its count spin box: "Применить" brings
// the rows to that number.
class RegisterTab : public ListTab
{
public:
    static constexpr int kRowsPerRegister = 8;

    RegisterTab(QObject *receiver, const Widgets &widgets, QSpinBox *registers);

    void clear() override;
    // New rows at the end get their defaults; rows beyond the count are removed from the end with
    // their settings.
    void derive() override;

    // One entry per row: the function code it keeps. ADC rows keep none and give 0.
    virtual QVector<int> rowCodes() const;

protected:
    // The count spin box shows the registers the rows need, at most its maximum; the label the rows.
    void showCount() override;
    virtual void appendNewRow(TreeRows::RowBuilder &rows, int position) = 0;

private:
    QSpinBox *const registers;
};

// The outputs of the SPI DO chain or the inputs of the SPI DI chain: position, function, index.
// The two differ only in their widgets, their functions and their editors' name.
class RegPortTab final : public RegisterTab
{
public:
    static constexpr int kCodeColumn = 1;
    static constexpr int kIndexColumn = 2;

    // Rows read from a file name their index editor editorName; rows added by hand do not.
    RegPortTab(QObject *receiver, const Widgets &widgets, QSpinBox *registers, Functions::Context context,
               const QString &editorName);

    void fill(const QByteArray &block) override;
    QByteArray serialize() const override;
    std::optional<FunctionColumn> functionColumn(const QTreeWidget *tree) const override;
    QVector<int> rowCodes() const override;

protected:
    void appendNewRow(TreeRows::RowBuilder &rows, int position) override;

private:
    void appendRow(TreeRows::RowBuilder &rows, int position, const RegPortRecord &record,
                   const QString &name) const;

    const Functions::Context context;
    const QString editorName;
};

// The inputs of the external SPI ADCs: position, then index, gain and offset.
class AdcRegTab final : public RegisterTab
{
public:
    AdcRegTab(QObject *receiver, const Widgets &widgets, QSpinBox *registers);

    void fill(const QByteArray &block) override;
    QByteArray serialize() const override;

protected:
    void appendNewRow(TreeRows::RowBuilder &rows, int position) override;

private:
    const AdcInputColumns columns;
};

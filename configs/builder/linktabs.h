#pragma once

#include "derivations.h"
#include "tab.h"

class GpioTab;
class RegisterTab;

// A link tab (DO, DI, AI, AO): numbered links with a type and an index each, one per pin or
// register row of the tab's kind, made by the tab's button or read from a file. The four differ
// only in their widgets, their kind and the width of the index.
class LinkTab final : public ListTab
{
public:
    // Links come from the pins and from the rows of the register tab given (none for AO links).
    LinkTab(QObject *receiver, const Widgets &widgets, Derivations::LinkKind kind, const QString &editorName,
            const GpioTab &pins, const RegisterTab *registers);

    void fill(const QByteArray &block) override;
    QByteArray serialize() const override;
    // Every link starts anew with type 0 and index 0: links carry nothing of their pin or row.
    void derive() override;

private:
    void appendLink(TreeRows::RowBuilder &rows, int number, int type, int index) const;
    template <typename Record> void fillLinks(const std::optional<QVector<Record>> &records);
    template <typename Record> QByteArray serializeLinks() const;

    const Derivations::LinkKind kind;
    const GpioTab &pins;
    const RegisterTab *const registers;
    const QVector<TreeRows::EditorSpec> editors; // type, index
};

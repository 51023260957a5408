#pragma once

#include "modalseam.h"

#include <QAbstractButton>
#include <QAction>
#include <QList>
#include <QMap>
#include <QMenu>
#include <QPointer>
#include <QStringList>
#include <functional>

// Answers the program's modal questions for one test and records them. Restores the real
// dialogs when it goes out of scope, so no test leaves a handler behind.
class SeamScript
{
public:
    struct Call
    {
        ModalSeam::Request request;    // box, menu and dialog pointers are valid only during the call
        QStringList menuTexts;         // Menu: the entries' texts in order
        QList<bool> menuIconSet;       // Menu: whether each entry has an icon
        QMap<int, QString> boxButtons; // BuiltMessageBox: each standard button's text
        QPointer<QMessageBox> box;     // BuiltMessageBox: null once the box has been deleted
    };
    using Responder = std::function<ModalSeam::Answer(const ModalSeam::Request &)>;

    SeamScript()
    {
        ModalSeam::setHandler([this](const ModalSeam::Request &request) {
            Call call;
            call.request = request;
            if (request.menu) {
                const QList<QAction *> actions = request.menu->actions();
                for (const QAction *action : actions) {
                    call.menuTexts << action->text();
                    call.menuIconSet << !action->icon().isNull();
                }
            }
            if (request.box) {
                const QList<QAbstractButton *> buttons = request.box->buttons();
                for (QAbstractButton *button : buttons)
                    call.boxButtons.insert(request.box->standardButton(button), button->text());
                call.box = request.box;
            }
            calls << call;
            return responder ? responder(request) : ModalSeam::Answer();
        });
    }
    ~SeamScript() { ModalSeam::setHandler(ModalSeam::Handler()); }
    SeamScript(const SeamScript &) = delete;
    SeamScript &operator=(const SeamScript &) = delete;

    QList<Call> of(ModalSeam::Kind kind) const
    {
        QList<Call> result;
        for (const Call &call : calls)
            if (call.request.kind == kind)
                result << call;
        return result;
    }

    // Picks the menu entry with this text, or dismisses the menu when there is none.
    static ModalSeam::Answer menuChoice(const ModalSeam::Request &request, const QString &text)
    {
        ModalSeam::Answer answer;
        if (request.menu) {
            const QList<QAction *> actions = request.menu->actions();
            for (QAction *action : actions)
                if (action->text() == text)
                    answer.action = action;
        }
        return answer;
    }

    static ModalSeam::Answer button(int standardButton)
    {
        ModalSeam::Answer answer;
        answer.button = standardButton;
        return answer;
    }

    static ModalSeam::Answer path(const QString &chosen)
    {
        ModalSeam::Answer answer;
        answer.path = chosen;
        return answer;
    }

    // Picks MenuText in a menu, answers message boxes with Button and folder choosers with Folder.
    static Responder answering(const QString &menuText, int button = QMessageBox::Yes,
                               const QString &folder = QString())
    {
        return [=](const ModalSeam::Request &request) {
            switch (request.kind) {
            case ModalSeam::Kind::Menu:
                return menuChoice(request, menuText);
            case ModalSeam::Kind::ExistingDirectory:
                return path(folder);
            default:
                return SeamScript::button(button);
            }
        };
    }

    Responder responder;
    QList<Call> calls;
};

#pragma once

#include <QMainWindow>

// Placeholder declaration of the builder window; the full window replaces it.
class ConfigsCreator : public QMainWindow
{
    Q_OBJECT

public:
    explicit ConfigsCreator(QWidget *parent = nullptr);
    ~ConfigsCreator() override;

    void fillAllTabs();

signals:
    void finished();
};

#include "configscreator.h"

ConfigsCreator::ConfigsCreator(QWidget *parent) : QMainWindow(parent) {}

ConfigsCreator::~ConfigsCreator() = default;

void ConfigsCreator::fillAllTabs() {}

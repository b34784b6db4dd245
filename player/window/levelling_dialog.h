#pragma once
// "Volume Levelling...": the ReplayGain mode and the two gains, kept in the
// preferences when the dialog is closed with OK.
class Preferences;
class QWidget;

// Shows the dialog modally over `parent`.
void EditLevelling(QWidget* parent, Preferences& preferences);

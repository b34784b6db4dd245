#include "window/levelling_dialog.h"

#include "settings/preferences.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>

namespace {
QDoubleSpinBox* GainBox(QWidget* parent, double db, const char* name) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(Preferences::kMinDb, Preferences::kMaxDb);
    box->setSingleStep(0.5);
    box->setDecimals(1);
    box->setSuffix(QCoreApplication::translate("LevellingDialog", " dB"));
    box->setValue(db);
    return box;
}
}  // namespace

void EditLevelling(QWidget* parent, Preferences& preferences) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("dlgLevelling"));
    dialog.setWindowTitle(QCoreApplication::translate("LevellingDialog", "Volume Levelling"));
    auto* mode = new QComboBox(&dialog);
    mode->setObjectName(QStringLiteral("cboLevelling"));
    mode->addItems({QCoreApplication::translate("LevellingDialog", "Off"),
                    QCoreApplication::translate("LevellingDialog", "Track gain"),
                    QCoreApplication::translate("LevellingDialog", "Album gain"),
                    QCoreApplication::translate("LevellingDialog", "Album gain unless Random")});
    mode->setCurrentIndex(static_cast<int>(preferences.levelling()));
    QDoubleSpinBox* preamp = GainBox(&dialog, preferences.preampDb(), "spnPreamp");
    QDoubleSpinBox* untagged = GainBox(&dialog, preferences.untaggedDb(), "spnUntagged");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* form = new QFormLayout(&dialog);
    form->addRow(QCoreApplication::translate("LevellingDialog", "&Levelling:"), mode);
    form->addRow(QCoreApplication::translate("LevellingDialog", "&Pre-amplification:"), preamp);
    form->addRow(QCoreApplication::translate("LevellingDialog", "&Files without gain:"), untagged);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) return;
    preferences.setLevelling(static_cast<Preferences::Levelling>(mode->currentIndex()), preamp->value(),
                             untagged->value());
}

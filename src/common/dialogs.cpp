#include "dialogs.h"

#include "savetarget.h"

#include <QCursor>
#include <QFont>
#include <QFileDialog>
#include <QGuiApplication>
#include <QFontDialog>
#include <QMessageBox>

QString qtFileFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        // Keep the pattern visible to Qt even when the description does not show it.
        const QString &description = parts.at(i);
        const QString pattern = QString(parts.at(i + 1)).replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << (description.contains(QLatin1Char('(')) ? description
                                                             : description + QStringLiteral(" (") + pattern + QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}

Dialogs::Answer QtDialogs::message(const QString &text, Icon icon, Buttons buttons, const QString &title)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
}

namespace {

QString fileDialog(QWidget *parent, const Dialogs::FileRequest &request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, request.title, request.startFolder, qtFileFilter(request.filter));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultExt);
    if (!request.initialName.isEmpty())
        dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString QtDialogs::openFile(const FileRequest &request)
{
    return fileDialog(m_parent, request, QFileDialog::AcceptOpen);
}

QString QtDialogs::saveFile(const FileRequest &request)
{
    FileRequest again = request;
    for (;;) {
        const QString path = fileDialog(m_parent, again, QFileDialog::AcceptSave);
        const SaveTargetCheck check = path.isEmpty() ? SaveTargetCheck{} : checkSaveTarget(path, request);
        if (check.kind == SaveTargetCheck::Kind::Fine)
            return path;
        // As a system Save As does, the answer keeps the dialog open on the name chosen.
        again.initialName = path;
        if (check.kind == SaveTargetCheck::Kind::Refuse)
            message(check.text, Icon::Exclamation, Buttons::Ok, request.title);
        else if (message(check.text, Icon::Exclamation, Buttons::YesNo, request.title) == Answer::Yes)
            return path;
    }
}

bool QtDialogs::chooseFont(FontChoice &font)
{
    bool ok = false;
    QFont initial(font.family);
    if (font.pointSize > 0)
        initial.setPointSizeF(font.pointSize);
    const QFont chosen = QFontDialog::getFont(&ok, initial, m_parent);
    if (ok)
        font = {chosen.family(), std::max(0.0, chosen.pointSizeF())};
    return ok;
}

void QtDialogs::setBusy(bool busy)
{
    if (busy) {
        if (!isBusy())
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        return;
    }
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

bool QtDialogs::isBusy() const
{
    const QCursor *cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::WaitCursor;
}

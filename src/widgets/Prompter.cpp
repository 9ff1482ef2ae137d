#include "Prompter.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QStyle>
#include <QTreeView>
#include <QAbstractButton>
#include <QMessageBox>

namespace corvanta {

namespace {

QMessageBox::Icon boxIcon(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Critical:
        return QMessageBox::Critical;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::Warning:
        return QMessageBox::Warning;
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The dialog's detail columns in Chinese whatever the locale: the file type ("文件夹"), which
// Qt's own Chinese lacks, and the time modified as a date and time written the same way in every
// locale, short enough to show whole (a fresh install's system locale writes English).
class ChineseFileColumns final : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    static constexpr int SizeColumn = 1, TypeColumn = 2, DateColumn = 3;
    static QString dateText(const QDateTime &time) { return time.toString(QStringLiteral("yyyy-MM-dd HH:mm")); }

    QVariant data(const QModelIndex &index, int role) const override
    {
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (role != Qt::DisplayRole || !files || index.column() < SizeColumn || index.column() > DateColumn)
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        if (index.column() == DateColumn) {
            const QDateTime modified = files->lastModified(source);
            return modified.isValid() ? dateText(modified) : QString();
        }
        if (index.column() == SizeColumn) {
            if (files->isDir(source))
                return QString();
            const qint64 size = files->size(source);
            return size < 1024 ? QStringLiteral("%1 字节").arg(size)
                               : QLocale::c().formattedDataSize(size, 1, QLocale::DataSizeTraditionalFormat);
        }
        if (files->isDir(source))
            return QStringLiteral("文件夹");
        const QString suffix = files->fileInfo(source).suffix();
        return suffix.isEmpty() ? QStringLiteral("文件") : suffix.toUpper() + QStringLiteral(" 文件");
    }
};

} // namespace

void QtPrompter::showMessage(QWidget *parent, const QString &title, const QString &text, PromptIcon icon)
{
    QMessageBox box(boxIcon(icon), title, text, QMessageBox::Ok, parent);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

bool QtPrompter::askQuestion(QWidget *parent, const QString &title, const QString &text, PromptIcon icon)
{
    QMessageBox box(boxIcon(icon), title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("是"));
    box.button(QMessageBox::No)->setText(QStringLiteral("否"));
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    return box.exec() == QMessageBox::Yes;
}

std::unique_ptr<QFileDialog> makeFileDialog(QWidget *parent, const QString &title, const QString &filter,
                                            const QString &folder)
{
    auto dialog = std::make_unique<QFileDialog>(parent, title, folder, filter);
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint);
    dialog->setProxyModel(new ChineseFileColumns(dialog.get()));
    // The date column as wide as a date and time.
    if (auto *details = dialog->findChild<QTreeView *>(QStringLiteral("treeView"))) {
        const int wide = details->fontMetrics().horizontalAdvance(
                             ChineseFileColumns::dateText(QDateTime(QDate(2000, 12, 30), QTime(20, 0)))) +
                         4 * details->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 16;
        details->header()->resizeSection(ChineseFileColumns::DateColumn,
                                         std::max(wide, details->header()->sectionSize(ChineseFileColumns::DateColumn)));
    }
    return dialog;
}

QString QtPrompter::saveFileName(QWidget *parent, const QString &title, const QString &filter)
{
    const auto dialog = makeFileDialog(parent, title, filter, m_startFolder);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    return dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty() ? dialog->selectedFiles().first()
                                                                                    : QString();
}

QString QtPrompter::openFileName(QWidget *parent, const QString &title, const QString &filter)
{
    const auto dialog = makeFileDialog(parent, title, filter, m_startFolder);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    return dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty() ? dialog->selectedFiles().first()
                                                                                    : QString();
}

void QtPrompter::openUrl(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}

} // namespace corvanta

#pragma once

#include <QString>

class QWidget;

/// Asks the operator for a file name to open or to save.
///
/// The dialogs that back up, restore and export go through the process-wide chooser rather
/// than calling QFileDialog themselves, so that a test can answer in place of the operator.
/// By default the chooser shows the toolkit's file dialogs.
class FileChooser
{
public:
    virtual ~FileChooser();

    /// The chosen file to write, or an empty text when the operator cancelled. The toolkit's
    /// dialog asks before a name of an existing file is accepted.
    virtual QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                    const QString &filter) = 0;
    /// The chosen existing file, or an empty text when the operator cancelled.
    virtual QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                                    const QString &filter) = 0;

    /// The chooser in force; the toolkit's dialogs unless one was installed.
    static FileChooser *instance();
    /// Installs a chooser (not owned); nullptr returns to the toolkit's dialogs.
    static void setInstance(FileChooser *chooser);

    /// Where every file dialog of the console opens: "C:\" on Windows; elsewhere the documents folder, or the
    /// home folder where there is none.
    static QString startFolder();

    /// The name to save under when the dialog offered only files ending in "." + `suffix`: `fileName` itself when
    /// it ends so (in any case), else with that ending added, so that the dialog that opens such files later lists
    /// it. *added tells whether it was added; the dialog asked before replacing only the name as typed, so a file
    /// that exists under the added name is never replaced.
    static QString withSuffix(const QString &fileName, const QString &suffix, bool *added);
    /// The notice that a file under the added name was kept, translated.
    static QString keptExistingText(const QString &fileName);
    /// The name to save the chosen file under, as withSuffix() gives it; an empty text when a file exists under the
    /// added ending: it is kept, which is logged as seen from `where`, and *notice gets keptExistingText() to show.
    static QString nameToSave(const QString &chosen, const QString &suffix, const char *where, QString *notice);
};

/// The default chooser: QFileDialog's static functions.
class DialogFileChooser : public FileChooser
{
public:
    QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                            const QString &filter) override;
    QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                            const QString &filter) override;
};

#pragma once

#include "broadcast/Ui_BroadcastContentEditor.h"
#include "datastore/VelkBroadcast.h"
#include "shell/kit/FormScale.h"

#include <QFrame>
#include <QStringList>

class BroadcastMessageDialog;
class QButtonGroup;
class SoundPlayer;

/// The second step of the broadcast editor: what a broadcast shows and plays. The display type and a text of at
/// most 300 characters (for "Only audio" the broadcast's title), the sound (none, a built-in one or an uploaded
/// file, each with a preview), the repeat duration and whether powered-off panels are woken.
///
/// Uploads are copied into the Audio folder under a name that never overwrites a file there. Removing an uploaded
/// sound (its delete button, or choosing another sound) takes effect only once the broadcast is saved
/// (applyFileChanges()); an edit that is discarded leaves the stored broadcast's sound in place.
class BroadcastContentEditor : public QFrame, public Ui_BroadcastContentEditor
{
    Q_OBJECT

public:
    /// player plays the previews (not owned); null: one of our own through Qt Multimedia.
    explicit BroadcastContentEditor(QWidget *parent = nullptr, SoundPlayer *player = nullptr);
    ~BroadcastContentEditor() override;

    /// Empty content for a new broadcast.
    void resetContent();
    /// The content of a stored broadcast.
    void loadBroadcast(VelkBroadcast broadcast);
    /// A record with the content fields only.
    VelkBroadcast fillBroadcast();
    /// The targets include panels or control boxes / audio boxes.
    void setAudioBoxMode(bool isHaveControlBox, bool isHaveAudioDevice);
    /// How many chosen targets have no MAC address: while the wake is ticked, a notice says it cannot reach them.
    void setTargetsWithoutMac(int count);
    void stopAudioPreview();
    void scaleUi(bool rescale);

    /// Removes the uploaded sounds given up in this edit; the editor calls it once the broadcast is stored.
    void applyFileChanges();
    /// Forgets them instead (the edit was not stored).
    void discardFileChanges();

    /// Copies the file into the Audio folder as the custom sound (what choosing a file in the dialog does); false,
    /// with the message shown and the choice back on "None", when it is too large or cannot be copied.
    bool uploadFile(const QString &path);
    QString savedAudioFilename() const { return m_savedAudioFilename; }
    QString displayedAudioFilename() const { return m_displayedAudioFilename; }
    BroadcastMessageDialog *messageDialog() const { return m_messageDialog; }
    QString audioFolder() const { return m_audioFolder; }

signals:
    void audioFileNotExist(const QString &name);
    void backClicked();
    void addBroadcast();

private slots:
    void emitBackClicked();
    void addBroadcastClicked();
    void displayTypeChange(int type);
    void textChange();
    void buttonJudge(int buttonId);
    void radioButtonJudge(int buttonId);
    void selectUploadFile(bool checked);
    void deleteSelectAudio(bool checked);
    void checkBoxStatusChange(bool checked);
    void soundFinished();

private:
    bool customAudioChosen() const;
    void resetCustomAudioButton();
    void showCustomAudio();
    bool checkCustomAudioExists(const QString &name);
    QString elideFileName(const QString &name) const;
    void setExampleText(const QString &text);
    void setPreviewImage(const QString &image);
    void initDurationEditors();
    void setPreviewStyle(int buttonId, bool playing);
    void showMessage(const QString &text);
    void applyCheckBoxStyle();
    void updateWakeNote();

    int displayType = 0;
    int m_targetsWithoutMac = 0;
    QButtonGroup *previewButtonGroup = nullptr;
    QButtonGroup *audioButtonGroup = nullptr;
    SoundPlayer *m_player;
    int playingButtonId = 0;
    bool isPlaying = false;
    QString m_savedAudioFilename;
    QString m_displayedAudioFilename;
    QStringList m_filesToRemove;
    BroadcastMessageDialog *m_messageDialog = nullptr;
    QString m_audioFolder;
    bool m_cutting = false;
    FormScale m_scale;
};

#include "broadcast/BroadcastContentEditor.h"

#include "broadcast/BroadcastAudio.h"
#include "broadcast/BroadcastContentRules.h"
#include "broadcast/BroadcastForm.h"
#include "broadcast/BroadcastMessageDialog.h"
#include "platform/LogLevel.h"
#include "platform/audio/AudioFolder.h"
#include "platform/audio/MediaSoundPlayer.h"
#include "shell/base/BoundedText.h"
#include "shell/base/Log.h"
#include "shell/base/Session.h"
#include "shell/kit/DialogPlacementRule.h"
#include "shell/kit/FileChooser.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QIntValidator>
#include <QRandomGenerator>
#include <QStyledItemDelegate>

namespace {

const char kScrollingPreview[] = ":/resource/broadcast/scrolling_text_preview.png";
const char kPopPreview[] = ":/resource/broadcast/pop_window_preview.png";
const char kAudioPreview[] = ":/resource/broadcast/only_audio_preview.png";
const char kAudioBoxPreview[] = ":/resource/broadcast/audio_box_broadcast.png";

QString previewNormalStyle()
{
    return QStringLiteral("QToolButton{border-image: url(:/resource/broadcast/btn_audio_normal.png);border: none;}"
                          "QToolButton:hover{border-image: url(:/resource/broadcast/btn_audio_hover.png);}"
                          "QToolButton:pressed{border-image: url(:/resource/broadcast/btn_audio_pressed.png);}"
                          "QToolButton:disabled{border-image: url(:/resource/broadcast/btn_audio_disabled.png);}");
}

QString previewStopStyle()
{
    return QStringLiteral("QToolButton{border-image: url(:/resource/broadcast/btn_stop_hover.png);border: none;}");
}

} // namespace

BroadcastContentEditor::BroadcastContentEditor(QWidget *parent, SoundPlayer *player)
    : QFrame(parent), m_player(player ? player : new MediaSoundPlayer(this)), m_audioFolder(BroadcastAudio::folder())
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    groupComboBox->setItemDelegate(new QStyledItemDelegate(groupComboBox));
    QStringList audioErrors;
    AudioFolder::installBuiltInSounds(m_audioFolder, &audioErrors);
    for (const QString &error : qAsConst(audioErrors))
        writeLog(LOG_LEVEL_ERROR, "%s", qUtf8Printable(error));

    connect(btnAddBroadcast, &QToolButton::clicked, this, &BroadcastContentEditor::addBroadcastClicked);
    connect(btnBack, &QToolButton::clicked, this, &BroadcastContentEditor::emitBackClicked);
    connect(groupComboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &BroadcastContentEditor::displayTypeChange);
    connect(plainTextEdit, &QPlainTextEdit::textChanged, this, &BroadcastContentEditor::textChange);
    connect(checkBoxWakeOnLan, &QCheckBox::toggled, this, &BroadcastContentEditor::updateWakeNote);

    previewButtonGroup = new QButtonGroup(this);
    previewButtonGroup->setExclusive(true);
    previewButtonGroup->addButton(toolButtonPreviewDefault_1, 0);
    previewButtonGroup->addButton(toolButtonPreviewDefault_2, 1);
    previewButtonGroup->addButton(toolButtonPreviewDefault_3, 2);
    previewButtonGroup->addButton(toolButtonPreview, 3);
    connect(previewButtonGroup, &QButtonGroup::idClicked, this, &BroadcastContentEditor::buttonJudge);
    audioButtonGroup = new QButtonGroup(this);
    audioButtonGroup->setExclusive(true);
    audioButtonGroup->addButton(radioButtonNone, 0);
    audioButtonGroup->addButton(radioButtonDefault1, 1);
    audioButtonGroup->addButton(radioButtonDefault2, 2);
    audioButtonGroup->addButton(radioButtonDefault3, 3);
    audioButtonGroup->addButton(radioButtonUserSelect, 4);
    connect(audioButtonGroup, &QButtonGroup::idClicked, this, &BroadcastContentEditor::radioButtonJudge);
    for (QAbstractButton *button : previewButtonGroup->buttons())
        button->setStyleSheet(previewNormalStyle());

    connect(radioButtonUserSelect, &QRadioButton::clicked, this, &BroadcastContentEditor::selectUploadFile);
    connect(toolButtonDeleteAudio, &QToolButton::clicked, this, &BroadcastContentEditor::deleteSelectAudio);
    connect(checkBoxRepeat, &QCheckBox::clicked, this, &BroadcastContentEditor::checkBoxStatusChange);
    m_messageDialog = new BroadcastMessageDialog(this);
    connect(m_player, &SoundPlayer::finished, this, &BroadcastContentEditor::soundFinished);
    connect(m_player, &SoundPlayer::failed, this, [this](const QString &reason) {
        writeLog(LOG_LEVEL_WARNING, "BroadcastContentEditor: the preview cannot be played: %s", qPrintable(reason));
        soundFinished();
    });

    QSizePolicy keep = frameAudioAlert->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    frameAudioAlert->setSizePolicy(keep);

    // The duration sits on the line of "Repeat broadcast", right after its text.
    const double s = getScaleFactor();
    const int textWidth = checkBoxRepeat->fontMetrics().horizontalAdvance(checkBoxRepeat->text());
    if (uiLayoutDirection() == Qt::RightToLeft) {
        frameRepeat->move(
            int(checkBoxRepeat->x() + checkBoxRepeat->width() - textWidth - 20 - 5 * s - frameRepeat->width()),
            frameRepeat->y());
    } else {
        frameRepeat->move(int(checkBoxRepeat->x() + textWidth + 20 + 5 * s), frameRepeat->y());
    }
    applyCheckBoxStyle();
    resetContent();
}

BroadcastContentEditor::~BroadcastContentEditor() = default;

// --- display type and text -----------------------------------------------------------------------------------------

void BroadcastContentEditor::setPreviewImage(const QString &image)
{
    label_preview->setStyleSheet(QStringLiteral("border-image: url(%1);").arg(image));
}

void BroadcastContentEditor::setExampleText(const QString &text)
{
    plainTextEdit->setPlainText(text);
    plainTextEdit->setPlaceholderStyle();
    labelCount->setText(QStringLiteral("300"));
}

void BroadcastContentEditor::displayTypeChange(int type)
{
    switch (type) {
    case 0:
    case 1:
        frameAudioAlert->hide();
        setPreviewImage(QLatin1String(type == 0 ? kScrollingPreview : kPopPreview));
        if (displayType == 2)
            setExampleText(tr("Enter your text..."));
        displayType = type;
        break;
    case 2:
        if (radioButtonNone->isChecked())
            frameAudioAlert->show();
        setPreviewImage(QLatin1String(kAudioPreview));
        setExampleText(tr("Please enter your broadcast title of audio..."));
        displayType = 2;
        break;
    default:
        break;
    }
}

void BroadcastContentEditor::textChange()
{
    if (m_cutting)
        return;
    if (plainTextEdit->showsExample()) {
        labelCount->setText(QStringLiteral("300"));
        return;
    }
    const BroadcastContentRules::TextCut cut =
        BroadcastContentRules::limitText(plainTextEdit->toPlainText(), plainTextEdit->textCursor().position());
    if (cut.cut) {
        m_cutting = true;
        plainTextEdit->setPlainText(cut.text);
        QTextCursor cursor = plainTextEdit->textCursor();
        cursor.setPosition(cut.cursor);
        plainTextEdit->setTextCursor(cursor);
        m_cutting = false;
    }
    labelCount->setText(QString::number(cut.remaining));
}

void BroadcastContentEditor::setAudioBoxMode(bool isHaveControlBox, bool isHaveAudioDevice)
{
    const double s = getScaleFactor();
    if (isHaveControlBox) {
        frameAudioAlert_2->setVisible(isHaveAudioDevice);
        textField->show();
        audioField->move(0, ScaleMath::truncScaled(211, s));
        groupComboBox->setCurrentIndex(0);
        return;
    }
    textField->hide();
    audioField->move(0, 0);
    if (isHaveAudioDevice) {
        groupComboBox->setCurrentIndex(2);
        setPreviewImage(QLatin1String(kAudioBoxPreview));
    } else {
        groupComboBox->setCurrentIndex(0);
    }
}

void BroadcastContentEditor::setTargetsWithoutMac(int count)
{
    m_targetsWithoutMac = count;
    updateWakeNote();
}

void BroadcastContentEditor::updateWakeNote()
{
    // Said where the wake is asked for: such panels get the broadcast only while they are on.
    const bool shown = checkBoxWakeOnLan->isChecked() && m_targetsWithoutMac > 0;
    if (shown)
        labelWakeNote->setText(
            tr("Wake-on-LAN can't wake %n chosen panel(s) without a MAC address.", nullptr, m_targetsWithoutMac));
    frameWakeAlert->setVisible(shown);
}

void BroadcastContentEditor::emitBackClicked()
{
    emit backClicked();
}

void BroadcastContentEditor::addBroadcastClicked()
{
    if (displayType == 2 && radioButtonNone->isChecked())
        return;
    emit addBroadcast();
}

// --- sound ---------------------------------------------------------------------------------------------------------

bool BroadcastContentEditor::customAudioChosen() const
{
    return radioButtonUserSelect->text() != tr("Upload custom audio");
}

void BroadcastContentEditor::radioButtonJudge(int buttonId)
{
    Q_UNUSED(buttonId)
    frameAudioAlert->setVisible(radioButtonNone->isChecked() && groupComboBox->currentIndex() == 2);
}

void BroadcastContentEditor::showMessage(const QString &text)
{
    m_messageDialog->setMessage(text);
    DialogPlacementRule::centreOnScreenOf(m_messageDialog, this);
    m_messageDialog->show();
}

void BroadcastContentEditor::selectUploadFile(bool checked)
{
    Q_UNUSED(checked)
    if (customAudioChosen())
        return;
    const QString path = FileChooser::instance()->getOpenFileName(this, tr("Open a file"), FileChooser::startFolder(),
                                                                  tr("Audio Files(*.mp3 *.wav)"));
    if (path.isEmpty()) {
        resetCustomAudioButton();
        return;
    }
    uploadFile(path);
}

bool BroadcastContentEditor::uploadFile(const QString &path)
{
    const QFileInfo source(path);
    const QString name = source.fileName();
    if (!source.isFile()) {
        writeLog(LOG_LEVEL_WARNING, "BroadcastContentEditor: cannot read the chosen file %s", qPrintable(name));
        showMessage(tr("The audio file cannot be read."));
        resetCustomAudioButton();
        return false;
    }
    if (BroadcastContentRules::uploadTooLarge(source.size())) {
        showMessage(tr("The size of the uploaded file cannot exceed 10MB."));
        resetCustomAudioButton();
        return false;
    }
    const QString target = BroadcastContentRules::uploadTargetName(
        m_audioFolder, name, [] { return QRandomGenerator::global()->bounded(1u, 100000u); });
    QString error;
    if (!BroadcastContentRules::copyUpload(path, m_audioFolder, target, &error)) {
        // A sound shown as chosen that is not in the Audio folder would fail every panel later.
        writeLog(LOG_LEVEL_ERROR, "BroadcastContentEditor: cannot copy %s: %s", qPrintable(name), qPrintable(error));
        showMessage(tr("The audio file cannot be copied."));
        resetCustomAudioButton();
        return false;
    }
    m_savedAudioFilename = target;
    m_displayedAudioFilename = name;
    radioButtonUserSelect->setChecked(true);
    showCustomAudio();
    radioButtonJudge(4);
    return true;
}

void BroadcastContentEditor::showCustomAudio()
{
    radioButtonUserSelect->setText(elideFileName(m_displayedAudioFilename));
    radioButtonUserSelect->setToolTip(plainToolTip(m_displayedAudioFilename));
    toolButtonPreview->show();
    toolButtonDeleteAudio->show();
}

void BroadcastContentEditor::resetCustomAudioButton()
{
    toolButtonPreview->hide();
    toolButtonDeleteAudio->hide();
    m_savedAudioFilename.clear();
    radioButtonUserSelect->setText(tr("Upload custom audio"));
    radioButtonUserSelect->setToolTip(QString());
    radioButtonNone->setChecked(true);
    if (groupComboBox->currentIndex() == 2)
        frameAudioAlert->show();
}

void BroadcastContentEditor::deleteSelectAudio(bool checked)
{
    Q_UNUSED(checked)
    // Removed once the broadcast is saved: an edit that is then discarded must not take the stored sound with it.
    if (!m_savedAudioFilename.isEmpty() && !m_filesToRemove.contains(m_savedAudioFilename))
        m_filesToRemove.append(m_savedAudioFilename);
    resetCustomAudioButton();
}

void BroadcastContentEditor::applyFileChanges()
{
    for (const QString &name : qAsConst(m_filesToRemove))
        BroadcastAudio::removeOwnSound(m_audioFolder, name);
    m_filesToRemove.clear();
}

void BroadcastContentEditor::discardFileChanges()
{
    m_filesToRemove.clear();
}

QString BroadcastContentEditor::elideFileName(const QString &name) const
{
    return radioButtonUserSelect->fontMetrics().elidedText(BoundedText::shown(name), Qt::ElideRight,
                                                           radioButtonUserSelect->width() - 20);
}

bool BroadcastContentEditor::checkCustomAudioExists(const QString &name)
{
    const QString path = BroadcastAudio::pathIn(m_audioFolder, name);
    if (!path.isEmpty() && QFileInfo(path).isFile())
        return true;
    resetCustomAudioButton();
    emit audioFileNotExist(name);
    return false;
}

void BroadcastContentEditor::setPreviewStyle(int buttonId, bool playing)
{
    if (QAbstractButton *button = previewButtonGroup->button(buttonId))
        button->setStyleSheet(playing ? previewStopStyle() : previewNormalStyle());
}

void BroadcastContentEditor::buttonJudge(int buttonId)
{
    const QString name = buttonId == 3 ? m_savedAudioFilename : BroadcastAudio::builtinFileName(buttonId + 1);
    if (!checkCustomAudioExists(name))
        return;
    if (isPlaying && buttonId == playingButtonId) {
        stopAudioPreview();
        return;
    }
    if (isPlaying)
        m_player->stop();
    if (!m_player->play(BroadcastAudio::pathIn(m_audioFolder, name), false)) {
        writeLog(LOG_LEVEL_WARNING, "BroadcastContentEditor: cannot play %s", qPrintable(name));
        soundFinished();
        return;
    }
    setPreviewStyle(buttonId, true);
    if (isPlaying && buttonId != playingButtonId)
        setPreviewStyle(playingButtonId, false);
    isPlaying = true;
    toolButtonDeleteAudio->hide();
    playingButtonId = buttonId;
}

void BroadcastContentEditor::stopAudioPreview()
{
    if (!isPlaying)
        return;
    m_player->stop();
    soundFinished();
}

void BroadcastContentEditor::soundFinished()
{
    if (customAudioChosen())
        toolButtonDeleteAudio->show();
    setPreviewStyle(playingButtonId, false);
    isPlaying = false;
}

// --- options and records -------------------------------------------------------------------------------------------

void BroadcastContentEditor::initDurationEditors()
{
    frameRepeat->hide();
    lineEditMin->setText(QStringLiteral("00"));
    lineEditSec->setText(QStringLiteral("30"));
    for (QLineEdit *field : {lineEditMin, lineEditSec}) {
        if (!field->validator())
            field->setValidator(new QIntValidator(0, 99, field));
        field->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    }
}

void BroadcastContentEditor::checkBoxStatusChange(bool checked)
{
    if (checked) {
        frameRepeat->raise();
        frameRepeat->show();
        return;
    }
    frameRepeat->hide();
    lineEditMin->setText(QStringLiteral("00"));
    lineEditSec->setText(QStringLiteral("30"));
}

void BroadcastContentEditor::resetContent()
{
    frameAudioAlert->hide();
    displayType = 0;
    groupComboBox->setCurrentIndex(0);
    setPreviewImage(QLatin1String(kScrollingPreview));
    setExampleText(tr("Enter your text..."));
    labelTextTitle->setFocus(Qt::OtherFocusReason);
    stopAudioPreview();
    playingButtonId = 0;
    isPlaying = false;
    m_savedAudioFilename.clear();
    m_displayedAudioFilename.clear();
    m_filesToRemove.clear();
    resetCustomAudioButton();
    checkBoxWakeOnLan->setChecked(false);
    checkBoxRepeat->setChecked(false);
    initDurationEditors();
    textField->show();
    audioField->move(0, ScaleMath::truncScaled(211, getScaleFactor()));
    frameAudioAlert_2->hide();
}

void BroadcastContentEditor::loadBroadcast(VelkBroadcast b)
{
    frameAudioAlert->hide();
    const int type = b.displayType >= 0 && b.displayType <= 2 ? b.displayType : 0;
    displayType = type;
    groupComboBox->setCurrentIndex(type);
    setPreviewImage(QLatin1String(type == 0 ? kScrollingPreview : (type == 1 ? kPopPreview : kAudioPreview)));
    if (!b.contentText.isEmpty()) {
        // The editor cuts a text longer than it takes at once (textChange()); laid out whole first, a restored text of
        // megabytes held the window.
        plainTextEdit->setPlainText(BoundedText::shown(b.contentText));
        plainTextEdit->setStyleSheet(QStringLiteral("font-size:11pt; font-family:Arial;color: #000000;"));
        scaleStyleSheetFontSize(plainTextEdit, 11, 0, false, false);
    } else {
        setExampleText(type == 2 ? tr("Please enter your broadcast title of audio...") : tr("Enter your text..."));
    }
    labelTextTitle->setFocus(Qt::OtherFocusReason);
    stopAudioPreview();
    m_filesToRemove.clear();
    resetCustomAudioButton();
    playingButtonId = 0;
    isPlaying = false;
    if (QAbstractButton *chosen = audioButtonGroup->button(b.audioSelection))
        chosen->setChecked(true);
    frameAudioAlert->setVisible(radioButtonNone->isChecked() && groupComboBox->currentIndex() == 2);
    m_savedAudioFilename = b.savedAudioFilename;
    m_displayedAudioFilename = b.displayedAudioFilename;
    if (radioButtonUserSelect->isChecked() && checkCustomAudioExists(m_savedAudioFilename))
        showCustomAudio();
    checkBoxWakeOnLan->setChecked(b.wakeOnLan);
    checkBoxRepeat->setChecked(b.repeat);
    if (b.repeat) {
        initDurationEditors();
        lineEditMin->setText(QString::number(b.durationMin));
        lineEditSec->setText(QString::number(b.durationSec));
        frameRepeat->show();
    } else {
        initDurationEditors();
    }
}

VelkBroadcast BroadcastContentEditor::fillBroadcast()
{
    VelkBroadcast b;
    b.displayType = displayType;
    const QString text = plainTextEdit->toPlainText();
    if (text == tr("Please enter your broadcast title of audio...")) {
        QAbstractButton *chosen = audioButtonGroup->checkedButton();
        b.contentText = chosen ? chosen->text() : QString();
    } else if (text != tr("Enter your text...")) {
        b.contentText = text;
    }
    if (!radioButtonUserSelect->isChecked() && !m_savedAudioFilename.isEmpty()) {
        // Another sound was chosen: the uploaded one goes, once the broadcast is saved.
        if (!m_filesToRemove.contains(m_savedAudioFilename))
            m_filesToRemove.append(m_savedAudioFilename);
        toolButtonPreview->hide();
        toolButtonDeleteAudio->hide();
        m_savedAudioFilename.clear();
        radioButtonUserSelect->setText(tr("Upload custom audio"));
    }
    if (radioButtonUserSelect->isChecked()) {
        b.displayedAudioFilename = m_displayedAudioFilename;
        b.savedAudioFilename = m_savedAudioFilename;
    }
    b.audioSelection = qMax(0, audioButtonGroup->checkedId());
    b.wakeOnLan = checkBoxWakeOnLan->isChecked();
    b.repeat = checkBoxRepeat->isChecked();
    b.durationMin = lineEditMin->text().toInt(nullptr, 10);
    b.durationSec = lineEditSec->text().toInt(nullptr, 10);
    return b;
}

// --- styles and scaling --------------------------------------------------------------------------------------------

void BroadcastContentEditor::applyCheckBoxStyle()
{
    const QString suffix = getScaleFactor() >= 2.0 ? QStringLiteral("_2x") : QString();
    const QString checkBoxStyle =
        QStringLiteral("QCheckBox{color: #ffffff;font-family:Arial;}"
                       "QCheckBox::indicator:checked{image: url(:/resource/scheduling/im_check_b%1.png);}"
                       "QCheckBox::indicator:unchecked{image: url(:/resource/scheduling/im_checkbox%1.png);}")
            .arg(suffix);
    const QString radioButtonStyle =
        QStringLiteral("QRadioButton{color: #ffffff;font-family:Arial;}"
                       "QRadioButton::indicator:checked{image: url(:/resource/scheduling/im_select_b%1.png);}"
                       "QRadioButton::indicator:unchecked{image: url(:/resource/scheduling/im_select_circle%1.png);}")
            .arg(suffix);
    for (QCheckBox *box : {checkBoxRepeat, checkBoxWakeOnLan})
        box->setStyleSheet(checkBoxStyle + QStringLiteral("QCheckBox{font-size:%1pt;}").arg(box->font().pointSizeF()));
    for (QAbstractButton *button : audioButtonGroup ? audioButtonGroup->buttons() : QList<QAbstractButton *>())
        button->setStyleSheet(radioButtonStyle +
                              QStringLiteral("QRadioButton{font-size:%1pt;}").arg(button->font().pointSizeF()));
}

void BroadcastContentEditor::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    resize(ScaleMath::truncScaled(width(), factor), ScaleMath::truncScaled(height(), factor));
    for (QWidget *widget : formWidgets(this))
        scaleWidgetGeometry(widget, factor);
    scaleWidgetFonts(this, factor, rescale, false);
    if (audioButtonGroup)
        applyCheckBoxStyle();
}

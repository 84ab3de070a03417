#pragma once
// The text search window of the preview: the text, whole words, letter case
// and the direction. It searches nothing itself; the preview window hands it
// the search to run and it tells the user when nothing was found.

#include <QDialog>

#include <cstdint>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace prenso {

class TRadioGroup;

// The dialog's choices as a bit set.
enum class TRLFindOption : std::uint8_t { foWholeWords = 1, foMatchCase = 2, foFindUp = 4 };
using TRLFindOptions = std::uint8_t;
inline bool HasFindOption(TRLFindOptions options, TRLFindOption option)
{
    return (options & static_cast<TRLFindOptions>(option)) != 0;
}

class TfrmRLFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit TfrmRLFindDialog(QWidget *parent = nullptr);

    QLabel *LabelTextToFind = nullptr;
    QLineEdit *EditTextToFind = nullptr;
    QPushButton *BitBtnFindNext = nullptr;
    QPushButton *BitBtnCancel = nullptr;
    QCheckBox *CheckBoxWholeWords = nullptr;
    QCheckBox *CheckBoxMatchCase = nullptr;
    TRadioGroup *RadioGroupDirection = nullptr;

    QString Text() const;
    TRLFindOptions Options() const;
    void SetOptions(TRLFindOptions options);

    // Runs the search; answers whether the text was found.
    std::function<bool(const QString &text, TRLFindOptions options)> OnFind;

    // Shows the window without blocking, the text field ready for typing.
    void Open();
    void BitBtnFindNextClick();

    // Closing the dialog with its own keys or buttons gives the keyboard
    // back to the preview.
    void setVisible(bool visible) override;

protected:
    void changeEvent(QEvent *event) override;

private:
    bool FShowingMessage = false;
};

} // namespace prenso

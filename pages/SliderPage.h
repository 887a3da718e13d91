#pragma once

#include <QWidget>
#include <map>
#include <vector>

#include "BiText.h"
#include "IPageHost.h"
#include "ParameterTooltips.h"

class SliderParameter;

// A tab page built of slider parameters: it finds the controls of its template by id, watches
// the letters of its sliders in the session's parameter cache and shows each value the
// controller reports on its slider, writes the set command when a slider is committed, and
// switches its label texts between the two languages.
class CSliderPage : public QWidget {
    Q_OBJECT

public:
    // Whether a slider's value sent to the controller goes into the parameter cache.
    enum class CachePolicy {
        OnSend,        // once it has been sent
        ReadBackOnly,  // never; only the read-back changes it
    };

    // A value the controller reported for a letter, already decoded for display; the page's
    // watches in the parameter cache show each here. True when this page shows the letter.
    virtual bool ShowReadBack(char letter, int shown);
    // Label texts and tooltips in English (true) or Chinese (false).
    void SetEnglish(bool english);

    // The slider parameter of a letter, or null.
    SliderParameter* ParameterOf(char letter) const;

protected:
    struct LabelText {
        int id;
        BiText text;
    };

    CSliderPage(IPageHost& host, CachePolicy policy, QWidget* parent);

    IPageHost& Host() const { return m_host; }

    // Binds the slider and number box of the template (by control id) to a letter; the slider
    // covers the values the letter can show, or the range given.
    void AddParameter(char letter, int sliderId, int boxId);
    void AddParameter(char letter, int sliderId, int boxId, int minimum, int maximum);
    void SetLabelTexts(std::vector<LabelText> labels) { m_labels = std::move(labels); }
    // The title of the page's group box, which has no control id of its own.
    void SetGroupTitle(QWidget* group, const BiText& title) { m_group = {group, title}; }
    // A letter's help as the tooltip of its name button, slider and box, with the range the
    // slider covers; shown in Chinese until the language switches.
    void AddHelp(char letter, int labelId, const QString& chinese, const QString& english);
    // Tooltips of controls that are no slider parameter.
    void AddTooltip(const QList<QWidget*>& controls, const QString& chinese,
                    const QString& english) {
        m_tooltips.Add(controls, chinese, english);
        m_tooltips.Show(false);
    }
    // The tooltips of a letter whose page has no hint of its own: its caption and range.
    void AddCaptionHelp(char letter, int labelId, const BiText& caption);

private:
    void Commit(SliderParameter& parameter, int shown);
    // A number typed into a box was outside the slider's range: the operator is told the range.
    void RefuseTyped(const SliderParameter& parameter, int minimum, int maximum);

    IPageHost& m_host;
    CachePolicy m_policy;
    std::vector<SliderParameter*> m_parameters;
    std::vector<LabelText> m_labels;
    std::pair<QWidget*, BiText> m_group{nullptr, {"", ""}};
    // The value each slider's controller holds as far as the page knows: read back or sent.
    std::map<char, int> m_confirmed;
    ParameterTooltips m_tooltips;
};

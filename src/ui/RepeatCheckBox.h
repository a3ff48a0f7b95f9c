#pragma once

#include <QCheckBox>
#include <cstdint>

// The repeat-tone option: values 0 (clear), 1 (ticked) and 2 (greyed, shown partially checked,
// counting as on). Only code sets 2; a click or the space bar toggles between 0 and 1, and
// takes a greyed box to 0.
class RepeatCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    explicit RepeatCheckBox(const QString& text, QWidget* parent = nullptr);

    std::int16_t value() const;
    // Returns false, changing nothing, for a value other than 0, 1 or 2.
    bool setValue(std::int16_t value);

protected:
    void nextCheckState() override;
};

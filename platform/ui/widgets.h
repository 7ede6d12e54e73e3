// Widgets for the control types that Qt has no ready equivalent for, and the
// two edit boxes with the program's input rules (integer text, a maximum
// length in GBK bytes that limits the user but not the program).
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>
#include <functional>
#include <optional>

namespace ui::detail {

// A caption drawn straight onto whatever lies behind it.
class TransLabel : public QWidget {
public:
    explicit TransLabel(QWidget* parent);

    QString text() const { return text_; }
    void set_text(const QString& text);
    void set_alignment(Qt::Alignment align) { align_ = align; }
    void set_color(const QColor& color) { color_ = color; }
    void set_shadow(std::optional<QPoint> offset) { shadow_ = offset; }

    std::function<void()> on_left_button_down;
    std::function<void()> on_right_button_up;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString text_;
    Qt::Alignment align_ = Qt::AlignLeft;
    QColor color_ = Qt::black;
    std::optional<QPoint> shadow_;
};

class ShapeBox : public QWidget {
public:
    ShapeBox(std::optional<QColor> fill, std::optional<QColor> border, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<QColor> fill_;
    std::optional<QColor> border_;
};

class LineControl : public QWidget {
public:
    LineControl(const QColor& color, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_;
};

// Input rules shared by both edit boxes.
struct EditRules {
    bool integer = false;  // only 0-9 and "-" may be typed
    int max_length = 0;    // GBK bytes the user may bring the text to; 0 none
};

// True for focus changes that count as the box "receiving the focus": a
// click, Tab, or the program; not the window becoming active again.
[[nodiscard]] bool counts_as_focus(Qt::FocusReason reason);

class EditLine : public QLineEdit {
public:
    explicit EditLine(QWidget* parent);
    EditRules rules;
    std::function<void()> on_focus;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void limit_user_edit(const QString& edited);
    QString previous_;  // the text before the edit now being reported
    bool limiting_ = false;
};

class EditText : public QPlainTextEdit {
public:
    explicit EditText(QWidget* parent);
    EditRules rules;
    std::function<void()> on_focus;

    // Windows-style text: line breaks as CR LF.
    QString text() const;
    void set_text(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    // The leading part of `insert` that still fits in place of the selection.
    QString fitting(const QString& insert) const;
};

// Bytes the text takes in GBK (GB18030), counted by the conversion that
// writes the files, so a box never takes more than its file will hold: ASCII
// one, a Chinese character two, any other character four.
qsizetype gbk_length(const QString& text);

// Keeps the leading characters of `insert` that fit into `room` GBK bytes,
// never splitting a surrogate pair. Line breaks count as CR LF.
QString fit_gbk(const QString& insert, qsizetype room);
qsizetype gbk_length_crlf(const QString& text);

}  // namespace ui::detail

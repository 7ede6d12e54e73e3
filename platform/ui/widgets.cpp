#include "platform/ui/widgets.h"

#include <QFontInfo>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextLayout>

#include "platform/text/gbk.h"

namespace ui::detail {

// ---- drawing controls -------------------------------------------------------

TransLabel::TransLabel(QWidget* parent) : QWidget(parent) {}

void TransLabel::set_text(const QString& text)
{
    text_ = text;
    update();
}

void TransLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(font());
    const QFontMetrics metrics(font());
    // Lines follow each other one character height apart: the CJK fonts'
    // generous line spacing would push a second line out of labels sized
    // for the classic fonts.
    const int step = QFontInfo(font()).pixelSize() + 1;
    const int advance = metrics.horizontalAdvance(text_);
    const bool one_line_box = height() < 2 * step;
    if ((advance <= width() || one_line_box) && !text_.contains(u'\n')) {
        // A caption a little wider than a one-line box (our fonts run wider
        // than the ones the boxes were sized for) is narrowed to fit rather
        // than cut off or wrapped out of sight.
        QRectF box = rect();
        if (advance > width() && width() > 0) {
            const qreal squeeze = static_cast<qreal>(width()) / advance;
            painter.scale(squeeze, 1.0);
            box.setWidth(advance);
        }
        const int flags = static_cast<int>(align_) | Qt::AlignVCenter | Qt::TextSingleLine;
        if (shadow_) {
            painter.setPen(Qt::white);
            painter.drawText(box.translated(*shadow_), flags, text_);
        }
        painter.setPen(color_);
        painter.drawText(box, flags, text_);
        return;
    }
    // A caption too long for one line wraps in a box tall enough for more.
    QString text = text_;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\n', QChar::LineSeparator);
    QTextLayout layout(text, font());
    QTextOption option(align_);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    int lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width());
        line.setPosition(QPointF(0, lines * step));
        ++lines;
    }
    layout.endLayout();
    const int block = (lines - 1) * step + metrics.height();
    const QPointF origin(0, (height() - block) / 2.0);
    if (shadow_) {
        painter.setPen(Qt::white);
        layout.draw(&painter, origin + QPointF(*shadow_));
    }
    painter.setPen(color_);
    layout.draw(&painter, origin);
}

void TransLabel::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton && on_left_button_down) on_left_button_down();
}

void TransLabel::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::RightButton && on_right_button_up) on_right_button_up();
}

ShapeBox::ShapeBox(std::optional<QColor> fill, std::optional<QColor> border, QWidget* parent)
    : QWidget(parent), fill_(fill), border_(border)
{
}

void ShapeBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (fill_) painter.fillRect(rect(), *fill_);
    if (border_) {
        painter.setPen(*border_);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

LineControl::LineControl(const QColor& color, QWidget* parent) : QWidget(parent), color_(color) {}

void LineControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(color_);
    if (width() >= height()) {
        painter.drawLine(0, height() / 2, width() - 1, height() / 2);
    } else {
        painter.drawLine(width() / 2, 0, width() / 2, height() - 1);
    }
}

// ---- edit boxes ---------------------------------------------------------------

namespace {

bool is_integer_char(QChar c) { return (c >= u'0' && c <= u'9') || c == u'-'; }

// Typed text that an integer box refuses. Editing keys (Backspace, Delete,
// arrows, Ctrl shortcuts) carry no printable text and always pass.
bool refused_by_integer(const QKeyEvent* event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    const QString text = event->text();
    if (text.isEmpty()) return false;
    for (QChar c : text) {
        if (c.category() == QChar::Other_Control) return false;
    }
    for (QChar c : text) {
        if (!is_integer_char(c)) return true;
    }
    return false;
}

QString integer_chars_only(const QString& text)
{
    QString out;
    for (QChar c : text) {
        if (is_integer_char(c)) out += c;
    }
    return out;
}

}  // namespace

qsizetype gbk_length(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return static_cast<qsizetype>(
        text::gbk_length(std::string_view(utf8.constData(), std::size_t(utf8.size()))));
}

qsizetype gbk_length_crlf(const QString& text)
{
    return gbk_length(text) + text.count(u'\n') - text.count(QStringLiteral("\r\n"));
}

QString fit_gbk(const QString& insert, qsizetype room)
{
    qsizetype used = 0;
    qsizetype i = 0;
    while (i < insert.size()) {
        const qsizetype len = insert[i].isHighSurrogate() && i + 1 < insert.size() ? 2 : 1;
        const QString ch = insert.mid(i, len);
        const qsizetype bytes = ch == QStringLiteral("\n") ? 2 : gbk_length(ch);
        if (used + bytes > room) break;
        used += bytes;
        i += len;
    }
    return insert.left(i);
}

bool counts_as_focus(Qt::FocusReason reason)
{
    switch (reason) {
        case Qt::MouseFocusReason:
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::ShortcutFocusReason:
        case Qt::OtherFocusReason:
            return true;
        default:
            return false;
    }
}

EditLine::EditLine(QWidget* parent) : QLineEdit(parent)
{
    // textEdited (user edits only) comes before textChanged, so previous_
    // still holds the text from before the edit when the limit looks at it.
    connect(this, &QLineEdit::textChanged, this, [this] { previous_ = text(); });
    connect(this, &QLineEdit::textEdited, this, [this](const QString& edited) { limit_user_edit(edited); });
}

void EditLine::keyPressEvent(QKeyEvent* event)
{
    if (rules.integer && !isReadOnly() && refused_by_integer(event)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void EditLine::inputMethodEvent(QInputMethodEvent* event)
{
    if (rules.integer && !event->commitString().isEmpty()) {
        QInputMethodEvent filtered(event->preeditString(), event->attributes());
        filtered.setCommitString(integer_chars_only(event->commitString()), event->replacementStart(),
                                 event->replacementLength());
        QLineEdit::inputMethodEvent(&filtered);
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void EditLine::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (on_focus && counts_as_focus(event->reason())) on_focus();
}

void EditLine::limit_user_edit(const QString& edited)
{
    if (limiting_ || rules.max_length <= 0) return;
    const QString old = previous_;
    const qsizetype now = gbk_length(edited);
    // A text the program set may be longer than the limit; the user can
    // still shorten it, only not lengthen it.
    if (now <= rules.max_length || now <= gbk_length(old)) return;

    // The edit replaced old[p, old.size()-s) by edited[p, edited.size()-s).
    qsizetype p = 0;
    while (p < old.size() && p < edited.size() && old[p] == edited[p]) ++p;
    qsizetype s = 0;
    while (s < old.size() - p && s < edited.size() - p &&
           old[old.size() - 1 - s] == edited[edited.size() - 1 - s]) {
        ++s;
    }
    if (p > 0 && edited[p - 1].isHighSurrogate()) --p;
    if (s > 0 && edited[edited.size() - s].isLowSurrogate()) --s;
    const QString head = edited.left(p);
    const QString tail = edited.right(s);
    const QString kept =
        fit_gbk(edited.mid(p, edited.size() - p - s), rules.max_length - gbk_length(head + tail));

    limiting_ = true;
    setText(head + kept + tail);
    setCursorPosition(static_cast<int>(p + kept.size()));
    limiting_ = false;
}

EditText::EditText(QWidget* parent) : QPlainTextEdit(parent) {}

QString EditText::text() const
{
    QString t = toPlainText();
    t.replace(u'\n', QStringLiteral("\r\n"));
    return t;
}

void EditText::set_text(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(t);
}

QString EditText::fitting(const QString& insert) const
{
    if (rules.max_length <= 0) return insert;
    const QString selected = textCursor().selection().toPlainText();
    const qsizetype current = gbk_length_crlf(toPlainText());
    const qsizetype room = rules.max_length - (current - gbk_length_crlf(selected));
    QString kept = fit_gbk(insert, room);
    // Never refuse less than what keeps the text from growing.
    if (kept.size() < insert.size() && gbk_length_crlf(insert) <= gbk_length_crlf(selected)) kept = insert;
    return kept;
}

void EditText::keyPressEvent(QKeyEvent* event)
{
    if (!isReadOnly()) {
        if (rules.integer && refused_by_integer(event)) {
            event->accept();
            return;
        }
        QString typed;
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            typed = QStringLiteral("\n");
        } else if (!event->text().isEmpty() && event->text()[0].category() != QChar::Other_Control &&
                   !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            typed = event->text();
        }
        if (!typed.isEmpty() && fitting(typed) != typed) {
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void EditText::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty() && (rules.integer || rules.max_length > 0)) {
        QString commit = event->commitString();
        if (rules.integer) commit = integer_chars_only(commit);
        commit = fitting(commit);
        QInputMethodEvent filtered(event->preeditString(), event->attributes());
        filtered.setCommitString(commit, event->replacementStart(), event->replacementLength());
        QPlainTextEdit::inputMethodEvent(&filtered);
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void EditText::insertFromMimeData(const QMimeData* source)
{
    if (rules.max_length <= 0 || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QString text = source->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMimeData limited;
    limited.setText(fitting(text));
    QPlainTextEdit::insertFromMimeData(&limited);
}

void EditText::focusInEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusInEvent(event);
    if (on_focus && counts_as_focus(event->reason())) on_focus();
}

}  // namespace ui::detail

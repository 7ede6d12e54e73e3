// The look of the program: Fusion underneath, "*" as the password mask, and
// the optional XP-like skin in one of three frame colours.
#include "platform/ui/style.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

#include "platform/ui/runtime.h"

namespace ui {

namespace {

int g_scheme = 0;

std::optional<QColor> frame_color(int scheme)
{
    switch (scheme) {
        case 1:
            return QColor(123, 158, 189);  // blue
        case 2:
            return QColor(164, 185, 127);  // olive green
        case 3:
            return QColor(198, 197, 215);  // silver
        default:
            return std::nullopt;
    }
}

class ProgramStyle : public QProxyStyle {
public:
    ProgramStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* ret) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        if (hint == SH_LineEdit_PasswordMaskDelay) return 0;
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        const auto frame = frame_color(g_scheme);
        if (frame && (element == PE_IndicatorCheckBox || element == PE_IndicatorRadioButton)) {
            draw_indicator(element == PE_IndicatorRadioButton, *frame, option, painter);
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

private:
    // Check and radio boxes of the skin: a framed, softly shaded box with a
    // green tick or dot, greyed when disabled.
    static void draw_indicator(bool radio, const QColor& frame, const QStyleOption* option, QPainter* painter)
    {
        const bool enabled = option->state & State_Enabled;
        const bool on = option->state & State_On;
        const QRectF r = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        QLinearGradient fill(r.topLeft(), r.bottomRight());
        fill.setColorAt(0, enabled ? QColor(220, 220, 215) : QColor(240, 240, 236));
        fill.setColorAt(1, QColor(255, 255, 255));
        painter->setBrush(fill);
        painter->setPen(QPen(enabled ? frame : frame.lighter(120), 1));
        if (radio) {
            painter->drawEllipse(r);
        } else {
            painter->drawRect(r);
        }
        if (on) {
            const QColor mark = enabled ? QColor(33, 161, 33) : QColor(172, 168, 153);
            if (radio) {
                painter->setPen(Qt::NoPen);
                painter->setBrush(mark);
                const qreal d = r.width() * 0.42;
                painter->drawEllipse(QRectF(r.center().x() - d / 2, r.center().y() - d / 2, d, d));
            } else {
                QPainterPath tick;
                tick.moveTo(r.left() + r.width() * 0.22, r.top() + r.height() * 0.50);
                tick.lineTo(r.left() + r.width() * 0.42, r.top() + r.height() * 0.72);
                tick.lineTo(r.left() + r.width() * 0.78, r.top() + r.height() * 0.28);
                painter->setBrush(Qt::NoBrush);
                painter->setPen(
                    QPen(mark, qMax<qreal>(1.5, r.width() / 6), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                painter->drawPath(tick);
            }
        }
        painter->restore();
    }
};

QString style_sheet(const QColor& frame)
{
    const QString c = frame.name();
    const QString dark = frame.darker(135).name();
    return QStringLiteral(
               "QPushButton { border: 1px solid %1; border-radius: 3px; padding: 2px 6px;"
               "  background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
               "    stop:0 #ffffff, stop:0.85 #ecebe6, stop:1 #d6d0c5); }\n"
               "QPushButton:hover { border: 1px solid %2; }\n"
               "QPushButton:pressed { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
               "  stop:0 #e3e2da, stop:1 #f3f3ef); }\n"
               "QPushButton:default { border: 2px solid %2; }\n"
               "QPushButton:disabled { color: #aca899; border-color: #c9c7ba; background: #f5f4ea; }\n"
               "QLineEdit, QPlainTextEdit, QListWidget, QTableView, QComboBox {"
               "  border: 1px solid %1; background: #ffffff; }\n"
               "QLineEdit:read-only { background: #f4f3ee; }\n"
               "QLineEdit:disabled, QPlainTextEdit:disabled, QComboBox:disabled { background: #f4f3ee; }\n"
               "QComboBox { padding: 1px 4px; }\n")
        .arg(c, dark);
}

}  // namespace

namespace detail {

QStyle* make_program_style() { return new ProgramStyle; }

}  // namespace detail

void apply_xp_style(int scheme)
{
    if (!qApp) return;
    const auto frame = frame_color(scheme);
    // Replacing the sheet drops the previous skin in the same step.
    g_scheme = frame ? scheme : 0;
    const QString sheet = frame ? style_sheet(*frame) : QString();
    // Every window applies its scheme when it opens; re-polishing every
    // widget for the same sheet would only flicker.
    if (qApp->styleSheet() != sheet) qApp->setStyleSheet(sheet);
}

int current_xp_style() { return g_scheme; }

}  // namespace ui

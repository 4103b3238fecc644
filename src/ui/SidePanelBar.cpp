#include "ui/SidePanelBar.h"

#include <QScrollArea>
#include <QScrollBar>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <cmath>

#include "ui/QtText.h"
#include "ui/WaveformView.h"

namespace quillon {

namespace {

// The panel is laid out in dialog units: a quarter of the average character
// width across, an eighth of the line height down.
struct DialogUnits {
    explicit DialogUnits(const QFontMetrics& metrics)
        : x(metrics.averageCharWidth() / 4.0), y(metrics.height() / 8.0) {}
    int across(double units) const { return int(std::lround(units * x)); }
    int down(double units) const { return int(std::lround(units * y)); }
    double x, y;
};

constexpr double kBarWidthUnits = 90;
constexpr double kPictureWidthUnits = 83, kPictureHeightUnits = 124;
// The waveform under "Selected Item": ruler, lanes and its line of figures.
constexpr double kWaveformHeightUnits = 56;
constexpr double kValueWidthUnits = 70, kValueIndentUnits = 6;

const char* const kFieldLabels[] = {
    "Name:", "Location:", "Description:", "Format:", "Compression:", "Size:"};
const char* const kFieldNames[] = {"name",   "location",    "description",
                                   "format", "compression", "size"};

// --- The picture ------------------------------------------------------------------

void drawBackdrop(QPainter& p, const QRectF& area) {
    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    sky.setColorAt(0, QColor(24, 36, 66));
    sky.setColorAt(1, QColor(22, 98, 108));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(area, area.width() * 0.06, area.width() * 0.06);
}

// A struck sound dying away, as a wave editor shows it: the filled envelope
// and the trace inside it.
void drawWave(QPainter& p, const QRectF& area) {
    const double middle = area.top() + area.height() * 0.62;
    const double reach = area.height() * 0.13;
    const int steps = 160;
    // The envelope's upper and lower edges are walked from the same steps.
    auto timeAt = [&](int i) { return double(i) / steps; };
    auto xAt = [&](int i) { return area.left() + area.width() * (0.06 + 0.88 * timeAt(i)); };
    auto loudnessAt = [&](int i) {
        double t = timeAt(i);
        return std::exp(-3.2 * t) * (0.35 + 0.65 * std::min(1.0, t * 12));
    };
    QPainterPath trace, envelope;
    for (int i = 0; i <= steps; ++i) {
        double t = timeAt(i), x = xAt(i), loudness = loudnessAt(i);
        double y = middle - reach * loudness * std::sin(t * 38.0) * std::cos(t * 7.0);
        i == 0 ? trace.moveTo(x, y) : trace.lineTo(x, y);
        i == 0 ? envelope.moveTo(x, middle - reach * loudness)
               : envelope.lineTo(x, middle - reach * loudness);
    }
    for (int i = steps; i >= 0; --i)
        envelope.lineTo(xAt(i), middle + reach * loudnessAt(i));
    envelope.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 220, 230, 60));
    p.drawPath(envelope);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(150, 235, 240), area.width() * 0.012, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(trace);
    p.setPen(QPen(QColor(255, 255, 255, 50), 1));
    p.drawLine(QPointF(area.left() + area.width() * 0.05, middle),
               QPointF(area.right() - area.width() * 0.05, middle));
}

// A quill whose nib rests on the start of the wave.
void drawQuill(QPainter& p, const QRectF& area) {
    auto at = [&](double fx, double fy) {
        return QPointF(area.left() + area.width() * fx, area.top() + area.height() * fy);
    };
    QPainterPath vane;
    vane.moveTo(at(0.17, 0.60));
    vane.cubicTo(at(0.22, 0.40), at(0.52, 0.16), at(0.86, 0.06));
    vane.cubicTo(at(0.74, 0.22), at(0.56, 0.40), at(0.22, 0.58));
    vane.closeSubpath();
    QLinearGradient feather(at(0.2, 0.6), at(0.86, 0.06));
    feather.setColorAt(0, QColor(250, 244, 226));
    feather.setColorAt(1, QColor(226, 214, 182));
    p.setPen(QPen(QColor(140, 120, 90), area.width() * 0.008));
    p.setBrush(feather);
    p.drawPath(vane);
    // The shaft, and the barbs that leave it.
    p.setPen(QPen(QColor(120, 96, 64), area.width() * 0.014, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(at(0.15, 0.63), at(0.80, 0.11));
    p.setPen(QPen(QColor(170, 150, 115), area.width() * 0.006));
    for (int i = 1; i < 9; ++i) {
        double t = i / 9.0;
        QPointF on = at(0.18 + 0.58 * t, 0.60 - 0.46 * t);
        p.drawLine(on, on + QPointF(area.width() * (0.05 + 0.03 * (1 - t)), area.height() * 0.03));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 36, 32));
    QPainterPath nib;
    nib.moveTo(at(0.13, 0.655));
    nib.lineTo(at(0.165, 0.615));
    nib.lineTo(at(0.18, 0.63));
    nib.closeSubpath();
    p.drawPath(nib);
}

void drawName(QPainter& p, const QRectF& area) {
    QFont title = p.font();
    title.setBold(true);
    title.setPixelSize(std::max(8, int(area.height() * 0.085)));
    p.setFont(title);
    p.setPen(QColor(245, 245, 240));
    QRectF band(area.left(), area.top() + area.height() * 0.78, area.width(), area.height() * 0.11);
    p.drawText(band, Qt::AlignCenter, QStringLiteral("Quillon"));
    QFont small = title;
    small.setBold(false);
    small.setPixelSize(std::max(7, int(area.height() * 0.045)));
    p.setFont(small);
    p.setPen(QColor(190, 225, 228));
    band.translate(0, area.height() * 0.09);
    p.drawText(band, Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("sound bank editor"));
}

}  // namespace

QPixmap sidePanelPicture(QSize size, qreal devicePixelRatio) {
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QRectF area(0, 0, size.width(), size.height());
    drawBackdrop(painter, area);
    drawWave(painter, area);
    drawQuill(painter, area);
    drawName(painter, area);
    return pixmap;
}

// --- The bar ------------------------------------------------------------------------

CSidePanelBar::CSidePanelBar(CQuillonDoc& doc, QWidget* parent)
    : QDockWidget(tr("Side Panel"), parent), doc_(doc) {
    setObjectName("sidePanel");
    // A fixed bar, as a dialog bar is: no title, no moving, no closing.
    setFeatures(QDockWidget::NoDockWidgetFeatures);
    setAllowedAreas(Qt::LeftDockWidgetArea);
    setTitleBarWidget(new QWidget(this));
    setWidget(scrolling(createContents()));
    doc_.addObserver(this);
    bankValuesChanged();
    selectedItemChanged();
}

CSidePanelBar::~CSidePanelBar() {
    doc_.removeObserver(this);
}

// On a short screen (a large scale on a laptop) the panel scrolls rather than
// making the window taller than the screen.
QWidget* CSidePanelBar::scrolling(QWidget* contents) {
    auto* area = new QScrollArea(this);
    area->setObjectName("sidePanelScroll");
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidgetResizable(true);
    area->setWidget(contents);
    area->setMinimumWidth(contents->minimumWidth() + area->verticalScrollBar()->sizeHint().width());
    return area;
}

QWidget* CSidePanelBar::createContents() {
    auto* contents = new QWidget(this);
    DialogUnits du(contents->fontMetrics());
    auto* layout = new QVBoxLayout(contents);
    layout->setContentsMargins(du.across(1), du.down(2), du.across(1), du.down(2));
    layout->setSpacing(du.down(2));

    picture_ = new QLabel(contents);
    picture_->setObjectName("sidePanelPicture");
    QSize pictureSize(du.across(kPictureWidthUnits), du.down(kPictureHeightUnits));
    picture_->setFixedSize(pictureSize);
    picture_->setPixmap(sidePanelPicture(pictureSize, devicePixelRatioF()));
    layout->addWidget(picture_, 0, Qt::AlignHCenter);
    layout->addWidget(createSelectedItemBox());
    waveform_ = new CWaveformView(contents);
    waveform_->setObjectName("sidePanelWaveform");
    waveform_->setFixedHeight(du.down(kWaveformHeightUnits));
    layout->addWidget(waveform_);

    musicBank_ = new QCheckBox(tr("Music Bank"), contents);
    musicBank_->setObjectName("musicBankBox");
    // Set by opening a bank and by importing music, never by the user.
    musicBank_->setEnabled(false);
    allowSave_ = new QCheckBox(tr("Allow Save"), contents);
    allowSave_->setObjectName("allowSaveBox");
    // Only the user's own clicks write the switch back.
    connect(allowSave_, &QCheckBox::clicked, this,
            [this](bool checked) { doc_.setAllowSave(checked); });
    layout->addWidget(musicBank_);
    layout->addWidget(allowSave_);
    layout->addStretch(1);
    contents->setFixedWidth(std::max(du.across(kBarWidthUnits), contents->sizeHint().width()));
    return contents;
}

QWidget* CSidePanelBar::createSelectedItemBox() {
    auto* box = new QGroupBox(tr("Selected Item"));
    box->setObjectName("selectedItemBox");
    DialogUnits du(box->fontMetrics());
    auto* layout = new QVBoxLayout(box);
    layout->setSpacing(du.down(1));
    QFont bold = box->font();
    bold.setBold(true);
    for (int i = 0; i < FieldCount; ++i) {
        auto* label = new QLabel(QString::fromLatin1(kFieldLabels[i]), box);
        label->setObjectName(QStringLiteral("%1Label").arg(kFieldNames[i]));
        label->setFont(bold);
        auto* value = new QLineEdit(box);
        value->setObjectName(QStringLiteral("%1Value").arg(kFieldNames[i]));
        value->setReadOnly(true);
        value->setFocusPolicy(Qt::ClickFocus);
        value->setFixedWidth(du.across(i == Size ? kValueWidthUnits - 1 : kValueWidthUnits));
        label->setBuddy(value);
        layout->addWidget(label);
        auto* indented = new QHBoxLayout;
        indented->setContentsMargins(du.across(kValueIndentUnits), 0, 0, 0);
        indented->addWidget(value);
        indented->addStretch(1);
        layout->addLayout(indented);
        labels_[size_t(i)] = label;
        values_[size_t(i)] = value;
    }
    return box;
}

QString CSidePanelBar::valueText(Field field) const {
    return values_[size_t(field)]->text();
}

void CSidePanelBar::bankValuesChanged() {
    const BankValues& values = doc_.values();
    if (musicBank_->isChecked() != values.musicBank) musicBank_->setChecked(values.musicBank);
    if (allowSave_->isChecked() != values.allowSave) allowSave_->setChecked(values.allowSave);
}

void CSidePanelBar::selectedItemChanged() {
    const SelectedItem& item = doc_.selectedItem();
    const std::string* texts[] = {&item.name,   &item.location,    &item.description,
                                  &item.format, &item.compression, &item.size};
    for (int i = 0; i < FieldCount; ++i) {
        QLineEdit* value = values_[size_t(i)];
        value->setText(toQString(*texts[i]));
        // Long texts show from their start; the user scrolls along them.
        value->setCursorPosition(0);
    }
}

}  // namespace quillon

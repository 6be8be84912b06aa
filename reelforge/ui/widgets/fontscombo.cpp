#include "ui/widgets/fontscombo.h"

#include "styles/kelstyle.h"
#include "ui/widgets/platform/fontfamilies.h"
#include "utils/kelgeometryutils.h"
#include "widgets/kelexclusivebuttongroup.h"
#include "widgets/kellineedit.h"
#include "widgets/kelscrollarea.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDebug>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QPointer>
#include <QTextBoundaryFinder>
#include <QTimer>

namespace {

constexpr int ListStyleId = KelStyle::WT_ScrollArea;
constexpr int ListMaximumHeight = 600;
constexpr int FilterMaximumLength = 255;
constexpr int SampleClusters = 8;
constexpr int CacheReleaseInterval = 10;

int s_fillBudgetMs = GlobalFamiliesMenu::DefaultFillBudgetMs;

QPointer<GlobalFamiliesMenu> &sharedMenuRef()
{
    static QPointer<GlobalFamiliesMenu> menu;
    return menu;
}

// The first count user-perceived characters of text.
QString firstClusters(const QString &text, int count)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int end = 0;
    for (int i = 0; i < count; ++i) {
        end = finder.toNextBoundary();
        if (end < 0)
            return text;
    }
    return text.left(end);
}

} // namespace

class GlobalFamiliesMenu::Private
{
public:
    explicit Private(GlobalFamiliesMenu *q) : q(q) { }

    void ensureFamilies();
    void ensureRows();
    void enterSlowFill(const QList<KelButton *> &rows, int total, qint64 elapsedMs);
    void applyFilter();
    void checkRowOf(const QString &family);
    void onShown();
    void onHidden();

    GlobalFamiliesMenu *q;
    QPointer<FontsCombo> owner;
    QMap<QString, FamilyInfo> families;
    QStringList names;
    QPointer<QWidget> previousFocus;
    KelLineEdit *filterField = nullptr;
    QTimer filterTimer;
    QString appliedFilter;
    QString pendingFilter;
    KelExclusiveButtonGroup *rowSwitch = nullptr;
    QElapsedTimer openTimer;
    bool slowFill = false;
    bool familiesRead = false;
    bool rowsBuilt = false;
    // The row style's own font, which rows keep or get back.
    QFont interfaceFont;
};

void GlobalFamiliesMenu::Private::ensureFamilies()
{
    if (familiesRead)
        return;
    familiesRead = true;
    QElapsedTimer timer;
    timer.start();
    families = FontFamilies::read();
    qInfo() << "Read fonts database:" << timer.elapsed() << "ms. Fonts count:" << families.size();
    names = families.keys();
    names.sort();
}

// Built on the first use rather than at start-up: loading every typeface
// takes a noticeable while.
void GlobalFamiliesMenu::Private::ensureRows()
{
    if (rowsBuilt)
        return;
    rowsBuilt = true;
    ensureFamilies();

    QElapsedTimer timer;
    timer.start();
    const int pixelSize = QFontInfo(q->font()).pixelSize();
    int firstRowMinimumHeight = 0;
    QList<KelButton *> rows;
    for (const QString &name : qAsConst(names)) {
        if (!rows.isEmpty() && rows.size() % CacheReleaseInterval == 0)
            FontFamilies::releaseCaches();
        KelButton *row = rowSwitch->createButton(name);
        row->setText(name);
        row->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        q->addWidget(row);
        if (rows.isEmpty()) {
            firstRowMinimumHeight = row->minimumHeight();
            interfaceFont = row->font();
        }
        rows.append(row);

        QFont familyFont(name);
        familyFont.setPixelSize(pixelSize);
        const FamilyInfo &info = families[name];
        if (info.isSymbol || !info.sampleText.isEmpty()) {
            // The name in the interface font, a few of the family's own glyphs beside it.
            const QString sample = info.sampleText.isEmpty() ? name : info.sampleText;
            row->setSecondFont(familyFont);
            row->setSecondText(firstClusters(sample, SampleClusters));
        } else if (!slowFill) {
            row->setFont(familyFont);
            QSize size = row->sizeHint();
            size.setHeight(qMax(size.height(), firstRowMinimumHeight));
            row->setMinimumSize(size);
        }

        if (!slowFill && timer.nsecsElapsed() > qint64(s_fillBudgetMs) * 1000000)
            enterSlowFill(rows, names.size(), timer.elapsed());
    }
    qInfo() << "Fonts popup is filled in" << timer.elapsed() << "ms";

    timer.restart();
    q->contentLayout()->addStretch();
    if (QWidget *list = q->scrollArea()->widget())
        list->adjustSize();
    qInfo() << "Fonts combo adjust size is done in" << timer.elapsed() << "ms";
}

// Past the budget, measuring every typeface costs more than it shows.
void GlobalFamiliesMenu::Private::enterSlowFill(const QList<KelButton *> &rows, int total,
                                                qint64 elapsedMs)
{
    qWarning() << "Fonts popup fill is too long. Elapsed time:" << elapsedMs
               << "ms, processed:" << rows.size() << "from" << total;
    slowFill = true;
    QElapsedTimer timer;
    timer.start();
    for (KelButton *row : rows) {
        row->setMinimumSize(0, 0);
        row->setFont(interfaceFont);
    }
    qInfo() << "Clear already calculated button sizes is done in" << timer.elapsed() << "ms";
}

void GlobalFamiliesMenu::Private::applyFilter()
{
    if (pendingFilter == appliedFilter)
        return;
    appliedFilter = pendingFilter;
    QWidget *list = q->scrollArea()->widget();
    list->setUpdatesEnabled(false);
    const QList<QPointer<KelButton>> rows = rowSwitch->buttons();
    for (const QPointer<KelButton> &row : rows) {
        if (!row)
            continue;
        const QString family = rowSwitch->buttonData(row).toString();
        row->setVisible(appliedFilter.isEmpty()
                        || family.contains(appliedFilter, Qt::CaseInsensitive));
    }
    list->setUpdatesEnabled(true);
}

void GlobalFamiliesMenu::Private::checkRowOf(const QString &family)
{
    if (rowSwitch->buttonByData(family)) {
        rowSwitch->setCheckedSilently(family);
        return;
    }
    // A family that is not installed must not take another combo's choice
    // back on hiding.
    const QSignalBlocker blocker(rowSwitch);
    const QList<QPointer<KelButton>> rows = rowSwitch->buttons();
    for (const QPointer<KelButton> &row : rows) {
        if (row)
            row->setCheckedState(false);
    }
}

void GlobalFamiliesMenu::Private::onShown()
{
    QWidget *window = owner ? owner->window() : nullptr;
    if (window && !window->isActiveWindow()) {
        previousFocus = QApplication::focusWidget();
        window->activateWindow();
    }
    filterField->setFocus();
    qWarning() << "Fonts popup opened in" << openTimer.elapsed() << "ms";
}

void GlobalFamiliesMenu::Private::onHidden()
{
    if (previousFocus)
        previousFocus->setFocus();
    previousFocus = nullptr;
    filterField->clear();
    FontFamilies::releaseCaches();
    if (!owner)
        return;
    q->removeWatchedWidget(owner);
    owner->setCheckedState(false);
    if (KelButton *checked = rowSwitch->checkedButton())
        owner->setFamily(rowSwitch->buttonData(checked).toString());
}

GlobalFamiliesMenu::GlobalFamiliesMenu(QWidget *parent, int popupStyleId, int rowStyleId,
                                       int filterStyleId)
    : KelPopupMenu(popupStyleId, Qt::Vertical, parent), d(std::make_unique<Private>(this))
{
    setObjectName(QStringLiteral("GlobalFamiliesMenu"));
    setCloseOnClick(false);
    setupContent(Qt::Vertical, ListStyleId);
    scrollArea()->setMaximumHeight(ListMaximumHeight);

    d->filterField = new KelLineEdit(filterStyleId);
    d->filterField->setObjectName(QStringLiteral("FontsFilter"));
    d->filterField->setMaxLength(FilterMaximumLength);
    if (auto *layout = qobject_cast<QBoxLayout *>(centralWidget()->layout())) {
        layout->setSpacing(0);
        layout->insertWidget(0, d->filterField);
    }
    d->filterTimer.setSingleShot(true);
    d->filterTimer.setInterval(FilterDelayMs);
    d->rowSwitch = new KelExclusiveButtonGroup(rowStyleId, this);

    connect(d->filterField, &QLineEdit::textChanged, this, [this](const QString &text) {
        d->pendingFilter = text;
        d->filterTimer.start();
    });
    connect(&d->filterTimer, &QTimer::timeout, this, [this] { d->applyFilter(); });
    connect(d->rowSwitch, &KelExclusiveButtonGroup::toggled, this,
            [this](KelButton *row, const QVariant &family) {
                if (!row)
                    return;
                if (d->owner)
                    d->owner->setFamily(family.toString());
                fadeOut();
            });
    connect(this, &KelWidget::showed, this, [this] { d->onShown(); });
    connect(this, &KelWidget::hided, this, [this] { d->onHidden(); });
}

GlobalFamiliesMenu::~GlobalFamiliesMenu() = default;

void GlobalFamiliesMenu::setFillBudget(int ms)
{
    s_fillBudgetMs = ms;
}

QMap<QString, FamilyInfo> GlobalFamiliesMenu::families() const
{
    d->ensureFamilies();
    return d->families;
}

KelLineEdit *GlobalFamiliesMenu::filterField() const
{
    return d->filterField;
}

KelExclusiveButtonGroup *GlobalFamiliesMenu::rowSwitch() const
{
    d->ensureRows();
    return d->rowSwitch;
}

KelButton *GlobalFamiliesMenu::row(const QString &family) const
{
    d->ensureRows();
    return d->rowSwitch->buttonByData(family);
}

FontsCombo *GlobalFamiliesMenu::owner() const
{
    return d->owner;
}

void GlobalFamiliesMenu::showFor(FontsCombo *combo)
{
    if (!combo)
        return;
    d->openTimer.start();
    d->ensureRows();
    d->owner = combo;
    d->checkRowOf(combo->family());
    centralWidget()->setFixedWidth(combo->width() - combo->margins().left()
                                   - combo->margins().right());
    ensureVisible(d->rowSwitch->checkedButton());
    addWatchedWidget(combo);
    placeBesideRect(KelUtils::globalRect(combo).marginsRemoved(combo->margins()), Qt::BottomEdge,
                    Qt::AlignHCenter, true);
}

class FontsCombo::Private
{
public:
    QString family;
    bool hasBold = false;
    bool hasItalic = false;
};

FontsCombo::FontsCombo(int styleId, QWidget *parent)
    : KelButton(styleId, parent), d(std::make_unique<Private>())
{
    setCheckable(true);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    connect(this, &KelButton::toggled, this, [this](bool checked) {
        GlobalFamiliesMenu *menu = sharedMenu();
        if (!menu) {
            qCritical("WRONG USAGE, call FontsCombo::initSharedMenu(...)");
            setCheckedState(false);
            return;
        }
        if (checked)
            menu->showFor(this);
        else if (menu->owner() == this && menu->isVisible())
            menu->fadeOut();
    });
}

FontsCombo::~FontsCombo() = default;

void FontsCombo::initSharedMenu(QWidget *parent, int popupStyleId, int rowStyleId, int filterStyleId)
{
    if (sharedMenuRef()) {
        qCritical("WRONG USAGE, shared families popup already exists!");
        return;
    }
    sharedMenuRef() = new GlobalFamiliesMenu(parent, popupStyleId, rowStyleId, filterStyleId);
}

void FontsCombo::setSharedMenuPlaceholderText(const QString &text)
{
    GlobalFamiliesMenu *menu = sharedMenu();
    if (!menu) {
        qCritical("WRONG USAGE, call FontsCombo::initSharedMenu(...) before setting placeholder "
                  "text");
        return;
    }
    menu->filterField()->setPlaceholderText(text);
}

GlobalFamiliesMenu *FontsCombo::sharedMenu()
{
    return sharedMenuRef();
}

QString FontsCombo::family() const
{
    return d->family;
}

bool FontsCombo::hasBold() const
{
    return d->hasBold;
}

bool FontsCombo::hasItalic() const
{
    return d->hasItalic;
}

void FontsCombo::setFamily(const QString &family)
{
    if (family == d->family)
        return;
    d->family = family;
    setText(family);
    emit familyChanged(family);

    GlobalFamiliesMenu *menu = sharedMenu();
    const FamilyInfo info = menu ? menu->families().value(family) : FamilyInfo();
    if (info.hasBold != d->hasBold) {
        d->hasBold = info.hasBold;
        emit hasBoldChanged(d->hasBold);
    }
    if (info.hasItalic != d->hasItalic) {
        d->hasItalic = info.hasItalic;
        emit hasItalicChanged(d->hasItalic);
    }
}

#include "moc_fontscombo.cpp"

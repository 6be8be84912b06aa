#include "ui/widgets/presetscombo.h"

#include "application.h"
#include "datamodel/presetsrepo.h"
#include "ui/style.h"
#include "ui/widgets/arrowseparator.h"
#include "ui/widgets/presetspopup.h"

#include <QCoreApplication>

namespace {

constexpr int ChooserStyleId = Style::WT_ComboBox_Presets;
constexpr int ChooserMinimumWidth = 378;

PresetsRepo *applicationRepo()
{
    auto *app = qobject_cast<Application *>(QCoreApplication::instance());
    return app ? app->presetsRepo() : nullptr;
}

} // namespace

PresetsCombo::PresetsCombo(QWidget *parent, PresetsRepo *repo)
    : KelButton(ChooserStyleId, QStringLiteral(":/svg/presets/video.svg"), parent),
      m_repo(repo ? repo : applicationRepo())
{
    setMinimumWidth(ChooserMinimumWidth);
    setCheckable(true);
    m_popup = new PresetsPopup(this);
    m_popup->addWatchedWidget(this);
    connect(this, &KelButton::toggled, this, [this](bool checked) {
        if (checked)
            m_popup->open();
        else
            m_popup->hide();
    });
}

PresetsCombo::~PresetsCombo() = default;

PresetsCombo::PresetsPopup *PresetsCombo::popup() const
{
    return m_popup;
}

PresetsRepo *PresetsCombo::presetsRepo() const
{
    return m_repo;
}

void PresetsCombo::translatePopup()
{
    m_popup->translateUi();
}

void PresetsCombo::paint(KelPaintContext &ctx)
{
    KelButton::paint(ctx);
    ArrowSeparator::paint(ctx, this);
}

#include "moc_presetscombo.cpp"

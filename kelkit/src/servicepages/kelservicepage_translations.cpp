#include "servicepages/kelservicepage_translations.h"

#include "kelapplication.h"
#include "kelsettings.h"
#include "keltranslator.h"
#include "styles/kelstyle.h"
#include "widgets/kellabel.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QTableView>

namespace {

const int ValueStyleId = KelStyle::WT_Label;
const int ColumnSpacing = 20;

} // namespace

KelServicePage_Translations::KelServicePage_Translations(QWidget *parent) : KelServicePage(parent)
{
    setObjectName(QStringLiteral("Translations"));
    auto *app = dynamic_cast<KelApplication *>(QCoreApplication::instance());
    KelSettings *settings = app ? app->settings() : nullptr;

    auto label = [this](const QString &text) {
        auto *label = new KelLabel(ValueStyleId, widget());
        label->setText(text);
        return label;
    };
    auto *left = new QFormLayout;
    auto *right = new QFormLayout;
    auto *columns = new QHBoxLayout;
    columns->setSpacing(ColumnSpacing);
    columns->addLayout(left);
    columns->addLayout(right);
    columns->addStretch();
    formLayout()->addRow(columns);

    const QLocale system = QLocale::system();
    left->addRow(label(QStringLiteral("<b>System Info:</b>")));
    left->addRow(label(QStringLiteral("System locale name:")), label(system.name()));
    left->addRow(label(QStringLiteral("System UI languages:")),
                 label(system.uiLanguages().join(QStringLiteral(", "))));
    left->addRow(label(QStringLiteral("System locale bcp47:")), label(system.bcp47Name()));

    right->addRow(label(QStringLiteral("<b>User Info:</b>")));
    right->addRow(label(QStringLiteral("Initial locale name:")),
                  label(settings ? settings->defaultLocaleName() : QString()));
    KelLabel *selected = label(settings ? settings->localeName() : QString());
    selected->setObjectName(QStringLiteral("SelectedLocaleName"));
    right->addRow(label(QStringLiteral("Selected locale name:")), selected);
    if (settings) {
        connect(settings, &KelSettings::localeNameChanged, selected,
                [selected](const QString &name) { selected->setText(name); });
    }
    right->addRow(label(QStringLiteral(" ")), label(QString()));

    formLayout()->addItem(makeSpacer());
    formLayout()->addRow(label(QStringLiteral("<b>Translator model:</b>")));
    auto *table = new QTableView(widget());
    table->setModel(app ? app->translator() : nullptr);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    formLayout()->addRow(table);
}

KelServicePage_Translations::~KelServicePage_Translations() = default;

#include "moc_kelservicepage_translations.cpp"

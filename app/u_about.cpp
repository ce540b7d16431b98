#include "u_about.h"

#include "SkelderVersion.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

Tf_about::Tf_about(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("f_about"));
    setWindowTitle(QStringLiteral("About Skelder"));
    auto* layout = new QVBoxLayout(this);
    auto* product = new QLabel(QStringLiteral("<b>Skelder</b>"), this);
    product->setObjectName(QStringLiteral("lbl_product"));
    layout->addWidget(product);
    layout->addWidget(new QLabel(
        QStringLiteral("Transact-SQL scripts from the catalog of Adaptive Server databases"),
        this));
    auto* version =
        new QLabel(QStringLiteral("Version %1").arg(QStringLiteral(SKELDER_VERSION)), this);
    version->setObjectName(QStringLiteral("lbl_version"));
    layout->addWidget(version);
    layout->addWidget(new QLabel(
        QStringLiteral("Qt %1, FreeTDS %2")
            .arg(QString::fromLatin1(qVersion()), QStringLiteral(SKELDER_FREETDS_VERSION)),
        this));
    auto* link = new QLabel(
        QStringLiteral("<a href=\"https://www.freetds.org/\">FreeTDS Client-Library</a>"), this);
    link->setOpenExternalLinks(true);
    layout->addWidget(link);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

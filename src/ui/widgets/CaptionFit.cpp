#include "ui/widgets/CaptionFit.h"

#include <QEvent>
#include <QHeaderView>

namespace kolva {

namespace {

void widenToCaptions(QHeaderView *header) {
    // The skin's padding counts only once the header is polished with it.
    header->ensurePolished();
    for (int i = 0; i < header->count(); ++i) {
        if (!header->isSectionHidden(i) && header->sectionSize(i) < header->sectionSizeHint(i))
            header->resizeSection(i, header->sectionSizeHint(i));
    }
}

// Widens the header again after a change of font or skin.
class CaptionFit final : public QObject {
public:
    static constexpr const char *kName = "kolvaCaptionFit";
    explicit CaptionFit(QHeaderView *header) : QObject(header) {
        setObjectName(QLatin1String(kName));
        header->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
            widenToCaptions(static_cast<QHeaderView *>(watched));
        return false;
    }
};

} // namespace

void keepCaptionsWhole(QHeaderView *header) {
    if (!header->findChild<QObject *>(QLatin1String(CaptionFit::kName), Qt::FindDirectChildrenOnly))
        new CaptionFit(header);
    widenToCaptions(header);
}

} // namespace kolva

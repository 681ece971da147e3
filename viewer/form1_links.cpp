// Hyperlinks of the shown page: a click on an http, https or mailto link asks, naming the
// target, and hands it to the desktop; every other link is refused with a message.
#include "preview/hyperlinks.h"
#include "preview/preview.h"
#include "viewer/form1.h"

namespace qrp {

void TForm1::ConnectHyperlinks()
{
    prev->SetOnHyperlink([this](QObject*, TQRHyperlinkEventType type, const std::string& link, bool& handled) {
        if (type != heGoto && type != heGotoNewWindow) return;
        handled = true;
        Guarded([&] { FollowLink(link); });
    });
}

void TForm1::FollowLink(const std::string& link)
{
    const TLinkTarget target = InspectLink(link);
    if (!target.Allowed) {
        FDialogs.ShowMessage(this, texts::kLinkRefused.arg(target.Shown));
        return;
    }
    if (!FDialogs.AskOpenLink(this, target.Shown)) return;
    if (!FDialogs.OpenLink(target.Url)) FDialogs.ShowMessage(this, texts::kLinkFailed.arg(target.Shown));
}

}  // namespace qrp

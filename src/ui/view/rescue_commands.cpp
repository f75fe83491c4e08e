// The rescue commands of the Diskette menu over the core that orvalis-cli's image, merge,
// rescue and scan use: Make image of diskette..., Merge reads..., Rescue file from copies...
// and Scan folder of images.... Each asks what it needs with the file and folder choosers,
// runs behind the progress dialog and tells what came of it. Only Make image reads drive A:;
// the others read image files, and none of them writes on what it only reads.
#include <algorithm>

#include "transfer/document.h"
#include "transfer/host_names.h"
#include "transfer/rescue/box_scan.h"
#include "transfer/rescue/disk_imaging.h"
#include "transfer/rescue/file_rescue.h"
#include "transfer/rescue/image_merge.h"
#include "transfer/rescue/image_source.h"
#include "transfer/rescue/image_volume.h"
#include "ui/dialogs/bad_sector_report_dialog.h"
#include "ui/dialogs/file_chooser.h"
#include "ui/dialogs/list_choice.h"
#include "ui/dialogs/scan_window.h"
#include "ui/platform/busy_cursor.h"
#include "ui/platform/qt_user_port.h"
#include "ui/view/orvalis_view.h"
#include "ui/view/rescue_texts.h"

namespace orv {

namespace {

// The document reads and writes the diskette in the drive until Close: a read of the whole
// diskette meanwhile would see it change under it.
constexpr const char* kCannotImageOpen =
    "Diskette is open. Cannot make an image of an open diskette.\nClose diskette and try "
    "again.";

// What went well is told with the information icon; what is done but incomplete is not.
Icon ResultIcon(bool complete) {
    return complete ? Icon::Information : Icon::Exclamation;
}

Icon FailureIcon(const RescueResult& result) {
    return result.status == RescueStatus::Interrupted ? Icon::Exclamation : Icon::Stop;
}

std::vector<std::string> ChooseImages(IFileChooser& chooser, const char* title) {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::OpenMany;
    request.title = title;
    request.filter = kImageFilter;
    return chooser.Choose(request);
}

// Where a new image or file goes. An existing file is never replaced (the core refuses it, or
// fills in an image that an earlier read left partial), so the dialog does not ask.
std::string ChooseNewFile(IFileChooser& chooser, const char* title, const std::string& name,
                          const char* filter) {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.title = title;
    request.initialName = name;
    request.filter = filter;
    request.confirmOverwrite = false;
    const std::vector<std::string> chosen = chooser.Choose(request);
    return chosen.empty() ? std::string() : chosen.front();
}

// The files a rescue can take from the images: those that an image lists whole (a part of a
// spread file is no copy of the file), each name once, in the order found.
std::vector<std::string> RescuableNames(const std::vector<std::string>& images) {
    std::vector<std::string> names;
    for (const std::string& path : images) {
        ImageVolume image;
        if (!image.Open(path)) continue;
        for (const FileRecord& r : image.Files()) {
            if (image.Volume().ChainCapacity(r.fileNumber) < std::int64_t(r.size)) continue;
            if (std::find(names.begin(), names.end(), r.displayName) == names.end())
                names.push_back(r.displayName);
        }
    }
    return names;
}

}  // namespace

bool COrvalisView::RefuseOpenImage(const std::vector<std::string>& paths) {
    if (!m_bOpen) return false;
    for (const std::string& path : paths) {
        if (!IsDriveImage(path, m_doc.Drive())) continue;
        Say(path + "\n\nis the diskette open in drive A:. Close diskette and try again.",
            Buttons::Ok, Icon::Exclamation);
        return true;
    }
    return false;
}

void COrvalisView::OnMakeImage() {
    if (m_bOpen) {
        Say(kCannotImageOpen, Buttons::Ok, Icon::Exclamation);
        return;
    }
    const std::string image =
        ChooseNewFile(m_chooser, "Make image of diskette", "diskette.img", kImageFilter);
    if (image.empty()) return;
    const ImagingOutcome r =
        ImageDiskette(m_doc.Drive(), image, kDefaultImageRetries, m_doc.Progress());
    if (!r.written) {
        Say(r.error, Buttons::Ok, FailureIcon(r));
        return;
    }
    // A run that stopped on the way still wrote what it read: the summary says where the
    // image stands.
    const std::string summary = ImagingSummary(r, image);
    Say(r.Ok() ? summary : r.error + "\n\n" + summary, Buttons::Ok,
        ResultIcon(r.Ok() && r.unreadable.none()));
}

void COrvalisView::OnMergeReads() {
    const std::vector<std::string> inputs =
        ChooseImages(m_chooser, "Merge reads: the images of one diskette");
    if (inputs.empty() || RefuseOpenImage(inputs)) return;
    const std::string image =
        ChooseNewFile(m_chooser, "Merge reads: the merged image", "merged.img", kImageFilter);
    if (image.empty()) return;
    MergeOutcome r = MergeImages(image, inputs, false, m_doc.Progress());
    if (r.otherDiskettes) {
        if (Say(r.error + "\n\nMerge them all the same?", Buttons::YesNo, Icon::Question,
                Answer::No) != Answer::Yes)
            return;
        r = MergeImages(image, inputs, true, m_doc.Progress());
    }
    if (!r.Ok()) {
        Say(r.error, Buttons::Ok, FailureIcon(r));
        return;
    }
    Say(MergeSummary(r, image, inputs), Buttons::Ok, ResultIcon(r.unreadable.none()));
}

void COrvalisView::OnRescueFile() {
    const std::vector<std::string> images =
        ChooseImages(m_chooser, "Rescue file from copies: the images that hold the file");
    if (images.empty() || RefuseOpenImage(images)) return;
    std::vector<std::string> names;
    {
        CBusyCursor busy;
        names = RescuableNames(images);
    }
    if (names.empty()) {
        Say("None of these images lists a whole file.\n\nA file is rescued from the images "
            "where it is listed; Disk service rebuilds the list of a diskette whose table "
            "cannot be read.",
            Buttons::Ok, Icon::Exclamation);
        return;
    }
    QStringList items;
    for (const std::string& name : names) items << QString::fromStdString(name);
    const int chosen = ChooseFromList(window(), "Rescue file from copies",
                                      "The file to put together from its copies:", items);
    if (chosen < 0) return;
    FileRescueRequest request;
    request.name = names[std::size_t(chosen)];
    request.images = images;
    request.restoreAttributes = m_doc.m_bRestoreAttributes;
    request.target = ChooseNewFile(m_chooser, "Rescue file from copies: where the file goes",
                                   SafeHostName(request.name), "All Files (*.*)|*.*||");
    if (request.target.empty()) return;
    const FileRescueOutcome r = RescueFile(request, m_doc.Progress());
    if (!r.Ok()) {
        // Why an image gave nothing may be why the rescue found no file.
        std::string text = r.error;
        for (const RescueSource& source : r.sources)
            if (!source.note.empty()) text += "\n" + source.path + ": " + source.note;
        Say(text, Buttons::Ok, FailureIcon(r));
        return;
    }
    Say(RescueSummary(r, request.target), Buttons::Ok, ResultIcon(r.unread.empty()));
    if (r.unread.empty()) return;
    // The pieces that no copy held: Save keeps them for a repair from yet another copy.
    BadSectorReport report = RescueReport(r);
    BadSectorReportDialog dlg(report, m_user, m_chooser, window());
    dlg.exec();
}

void COrvalisView::OnScanFolder() {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Folder;
    request.title = "Scan folder of images";
    const std::vector<std::string> chosen = m_chooser.Choose(request);
    if (chosen.empty()) return;
    ScanRequest scan;
    scan.folder = chosen.front();
    scan.restoreAttributes = m_doc.m_bRestoreAttributes;
    ScanOutcome r = ScanBox(scan, m_doc.Progress());
    if (!r.Ok()) {
        Say(r.error, Buttons::Ok, FailureIcon(r));
        return;
    }
    if (!m_pScanWindow) {
        ScanWindowPorts ports;
        ports.user = &m_user;
        ports.chooser = &m_chooser;
        ports.progress = &m_doc.Progress();
        ports.putIntoDrive = [this](const std::string& path) { return PutIntoDrive(path); };
        ports.restoreAttributes = [this] { return m_doc.m_bRestoreAttributes; };
        m_pScanWindow = new CScanWindow(std::move(ports), window());
    }
    m_pScanWindow->ShowScan(scan.folder, std::move(r));
    m_pScanWindow->show();
    m_pScanWindow->raise();
    m_pScanWindow->activateWindow();
}

}  // namespace orv

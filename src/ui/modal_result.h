#pragma once
// The modal result the library's dialogs end with, however they are closed: the cancel
// result. Hosts receive it from UploadData, DownloadData and VYRAbout.

namespace bv3::ui {
inline constexpr int mrCancel = 2;
}

#pragma once

#include "core/result.h"
#include "signs/sign_list.h"
#include "signs/sign_state.h"

#include <QByteArray>

#include <optional>

namespace lumivo::service {

// The page a sign's picture shows: `asked` when given, else the page it was last told to run
// when that was sent from here, else the page sent last. Nothing when no page was sent.
std::optional<char> PictureShowsPage(const signs::SignRecord& record, std::optional<char> asked);

// A PNG picture of the sign showing the page as it was last sent (its line and the graphics
// it went with, the user characters it holds), drawn by the one LED renderer at the moment the
// line first stands in full, at the sign's width.
Result<QByteArray> DrawSentPagePng(const signs::Sign& sign, const signs::SignRecord& record,
                                   char page);

} // namespace lumivo::service

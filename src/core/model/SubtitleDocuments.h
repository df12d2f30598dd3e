#pragma once

#include "model/Text.h"
#include "model/TextDocument.h"

#include <string_view>

namespace vantor {

// The three documents the main window owns for the whole run. The formatted and plain documents hold the
// same entries at the same line positions and differ only in their text lines.
struct SubtitleDocuments {
    TextDocument FormattedDocument;
    TextDocument PlainDocument;
    TextDocument ScratchBuffer;
    // The encoding of the subtitle files and so of every document line; fixed when a file is loaded.
    CodePage codePage = CodePage::Gbk;

    // Replaces `target`'s content through the scratch buffer: clear the scratch buffer, set it to `text`,
    // clear the target, set the target to the scratch buffer's text. The target notifies at each change.
    void RewriteViaScratch(TextDocument& target, std::string_view text);
};

} // namespace vantor

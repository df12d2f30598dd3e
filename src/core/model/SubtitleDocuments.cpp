#include "model/SubtitleDocuments.h"

namespace vantor {

void SubtitleDocuments::RewriteViaScratch(TextDocument& target, std::string_view text)
{
    ScratchBuffer.clear();
    ScratchBuffer.setWholeText(text);
    target.clear();
    target.setWholeText(ScratchBuffer.text());
}

} // namespace vantor

#include "worksheet_part.h"

namespace engine
{

bool WorksheetPart::Load(std::string xml, Error &error)
{
    text_ = std::move(xml);
    return ScanDocument(text_, tree_, childTrees_, error);
}

bool WorksheetPart::Rewrite(std::string xml, Error &error)
{
    replacements_.clear();
    rewritten_ = true;
    ++revision_;
    return Load(std::move(xml), error);
}

std::string_view WorksheetPart::ChildText(size_t index) const
{
    if (const auto replaced = replacements_.find(index); replaced != replacements_.end())
        return replaced->second;
    const ElementSpan &child = tree_.children[index];
    return std::string_view(text_).substr(child.begin, child.end - child.begin);
}

const ElementTree *WorksheetPart::OriginalChildTree(size_t index) const
{
    return replacements_.count(index) ? nullptr : &childTrees_[index];
}

void WorksheetPart::ReplaceChild(size_t index, std::string replacement)
{
    replacements_[index] = std::move(replacement);
    ++revision_;
}

std::string WorksheetPart::Serialize() const
{
    std::string out;
    out.reserve(text_.size());
    size_t copied = 0;
    for (const auto &[index, replacement] : replacements_) {
        const ElementSpan &child = tree_.children[index];
        out.append(text_, copied, child.begin - copied);
        out += replacement;
        copied = child.end;
    }
    out.append(text_, copied, std::string::npos);
    return out;
}

} // namespace engine

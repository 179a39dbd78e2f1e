#pragma once

#include "claims/Anonymize.h"
#include "claims/StripBranch.h"
#include "core/RunResult.h"

#include <string>
#include <vector>

namespace plok::test {

/// The longest completion message of each job, and one with a long file name: what the result dialog must show whole
/// on every desktop.
inline std::vector<std::u16string> LongestResultMessages()
{
    return {
        claims::kAnonymizedText,
        claims::kStrongAnonymizedText,
        claims::kBranchStrippedText,
        CreatedText(u"202305_carte.csv"),
        CreatedText(u"202305_受診者一覧R.txt"),
        // A name of the clinic's own choosing: the dialog grows to it.
        CreatedText(u"2024年6月分_受診者一覧_さくら内科クリニック_内科外来R.txt"),
    };
}

} // namespace plok::test

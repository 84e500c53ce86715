// SPDX-License-Identifier: MIT
#include "drill/sound_table.h"
#include "platform/item_reader.h"
#include "state/shared_state.h"

namespace {
const char16_t *const kNames[kSoundCategories] = {
    u"正解音1",
    u"正解音2",
    u"間違い音1",
    u"間違い音2",
    u"最高音1",
    u"最高音2",
    u"自己最高音1",
    u"自己最高音2",
    u"自己最高音3",
    u"不合格音1",
};
constexpr int kFilesPerCategory = 20;
} // namespace

QString soundCategoryName(int category)
{
    if (category < 1 || category > kSoundCategories)
        return {};
    return QString::fromUtf16(kNames[category - 1]);
}

void readSoundTable(SharedState &state, ItemReader &reader)
{
    for (int c = 1; c <= kSoundCategories; ++c)
        state.SoundTable[size_t(c)].name = soundCategoryName(c);

    while (!reader.atEnd()) {
        QString item = reader.next().text;
        for (int c = 1; c <= kSoundCategories; ++c) {
            SoundCategory &cat = state.SoundTable[size_t(c)];
            if (item != cat.name)
                continue;
            // A block: up to 20 file names, closed by "*". Without "*" the
            // files read stay but the count is 0. A list that ends inside a
            // block keeps the files read so far, also without a count.
            for (int j = 1; j <= kFilesPerCategory; ++j) {
                if (reader.atEnd()) {
                    item.clear();
                    break;
                }
                item = reader.next().text;
                if (item == QLatin1String("*")) {
                    cat.count = j - 1;
                    break;
                }
                cat.files[size_t(j)] = item;
            }
            // The comparison goes on with the last item read, which is "*"
            // after a complete block and matches no later name.
        }
    }
}

bool LoadSoundTable(SharedState &state, QString *problem)
{
    const QString path = state.SoundFolder + QStringLiteral("新音ファイル.txt");
    QString error;
    auto reader = ItemReader::open(path, &error);
    for (int c = 1; c <= kSoundCategories; ++c)
        state.SoundTable[size_t(c)].name = soundCategoryName(c);
    if (!reader) {
        if (problem)
            *problem = QStringLiteral("%1\nこのファイルを読めません（%2）。").arg(path, error);
        return false;
    }
    readSoundTable(state, *reader);
    return true;
}

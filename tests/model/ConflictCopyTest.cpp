#include "model/ConflictCopy.h"

#include "model/ReminderMerge.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace {

void ExpectCopies(const std::string& list, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        EXPECT_TRUE(IsConflictCopyName(list, name)) << list << " / " << name;
}

void ExpectNoCopies(const std::string& list, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        EXPECT_FALSE(IsConflictCopyName(list, name)) << list << " / " << name;
}

TEST(ConflictCopyTest, EachSyncToolsFormIsACopyOfItsList)
{
    ExpectCopies("talvo.tlv", {"talvo.sync-conflict-20261207-221500-ABC1234.tlv",
                               "talvo (conflicted copy 2026-12-07 221500).tlv",
                               "talvo (Anna's conflicted copy 2026-12-07).tlv",
                               "talvo (Anna Berg's conflicted copy 2026-12-07) (1).tlv",
                               "talvo (Anna's conflicted copy 2026-12-07) (12).tlv",
                               "talvo (Anna\xE2\x80\x99s conflicted copy 2026-12-07).tlv",
                               "talvo (Ann's (work)'s conflicted copy 2026-12-07).tlv", "talvo-LAPTOP.tlv",
                               "talvo-DESKTOP-4F2K9.tlv", "talvo-anna-pc.tlv"});
}

TEST(ConflictCopyTest, NearMissesAreNoCopies)
{
    ExpectNoCopies("talvo.tlv", {
                                    "talvo.tlv",
                                    // Syncthing: the device part is 7 upper-case letters or digits.
                                    "talvo.sync-conflict-20261207-221500-ABC123.tlv",
                                    "talvo.sync-conflict-20261207-221500-ABC12345.tlv",
                                    "talvo.sync-conflict-20261207-221500-abc1234.tlv",
                                    "talvo.sync-conflict-2026127-221500-ABC1234.tlv",
                                    "talvo.sync-conflict-20261307-221500-ABC1234.tlv",
                                    "talvo.sync-conflict-20261207-251500-ABC1234.tlv",
                                    "talvo.sync-conflict-20261207-221500-ABC1234.tlv.tmp",
                                    // Nextcloud
                                    "talvo (conflicted copy 2026-12-07).tlv",
                                    "talvo (conflicted copy 2026-12-07 22:15:00).tlv",
                                    "talvo (conflicted copy 2026-12-07 221500)",
                                    // Dropbox: a name, a whole date, a counter of digits only.
                                    "talvo ('s conflicted copy 2026-12-07).tlv",
                                    "talvo (Anna's conflicted copy 2026-12).tlv",
                                    "talvo (Anna's conflicted copy 2026-12-07) (x).tlv",
                                    "talvo (Anna's conflicted copy 2026-12-07) ().tlv",
                                    "talvo (Anna's conflicted copy 2026-12-07)(1).tlv",
                                    "talvo (Anna's conflicted copy 2026-12-07) (1).tlv.bak",
                                    // OneDrive: letters, digits and '-' only; not the program's own files.
                                    "talvo-.tlv",
                                    "talvo-MY PC.tlv",
                                    "talvo-PC_1.tlv",
                                    "talvo-merge-base-20261207-221500.tlv",
                                    "talvo-merge-theirs-20261207-221500.tlv",
                                    "talvo-recovery-20261207-221500.tlv",
                                    // Other lists, other extensions, other stems.
                                    "talvo.tlv.unreadable-20261207-221500",
                                    "talvo-LAPTOP.txt",
                                    "talvo-LAPTOP.tlv.tlv",
                                    "work.sync-conflict-20261207-221500-ABC1234.tlv",
                                    "talvo2 (conflicted copy 2026-12-07 221500).tlv",
                                    "Talvo-LAPTOP.tlv",
                                    "xtalvo-LAPTOP.tlv",
                                });
}

TEST(ConflictCopyTest, StemAndExtensionAreTheListsOwn)
{
    // Only the last dot starts the extension; paths compare by their last part.
    ExpectCopies("/home/a/lists/work.2026.list", {"work.2026.sync-conflict-20261207-221500-ABC1234.list",
                                                  "/elsewhere/work.2026 (conflicted copy 2026-12-07 221500).list",
                                                  "C:\\Data\\work.2026-PC.list"});
    ExpectNoCopies("/home/a/lists/work.2026.list", {"work.sync-conflict-20261207-221500-ABC1234.2026.list",
                                                    "work.2026.sync-conflict-20261207-221500-ABC1234.tlv"});
    // A list without an extension has copies without one.
    ExpectCopies("lista", {"lista.sync-conflict-20261207-221500-ABC1234", "lista-PC"});
    ExpectNoCopies("lista", {"lista-PC.tlv", "lista"});
    // A name that is all extension is all stem.
    ExpectCopies(".tlv", {".tlv-PC"});
    ExpectNoCopies("", {"-PC", ".sync-conflict-20261207-221500-ABC1234"});
    // A stem that itself looks like a copy still has copies of its own.
    ExpectCopies("talvo-PC.tlv", {"talvo-PC-2.tlv", "talvo-PC (conflicted copy 2026-12-07 221500).tlv"});
    ExpectNoCopies("talvo-PC.tlv", {"talvo.tlv"});
}

CReminderList List(std::initializer_list<const char*> texts, const char* defaultText = "")
{
    CReminderList list;
    list.m_strDefaultText = defaultText;
    for (const char* text : texts)
        list.Add(text, 3600, true, 86400, false);
    return list;
}

std::string Texts(const CReminderList& list)
{
    std::string texts;
    for (const CReminder& r : list.m_reminders)
        texts += r.m_strText + ";";
    return texts;
}

TEST(ConflictCopyTest, MergingACopyKeepsWhatItLacksAndTakesWhatItAdds)
{
    // The copy went its own way before C was added here; since the last
    // save, B was deleted and D added here.
    const CReminderList saved = List({"A", "B", "C", "A"}, "ny");
    const CReminderList ours = List({"A", "C", "A", "D"}, "ny");
    const CReminderList copy = List({"A", "B", "E"}, "gammal");
    const CReminderList base = ConflictCopyBase(saved, copy);
    EXPECT_EQ(Texts(base), "A;B;");
    EXPECT_EQ(base.m_strDefaultText, "gammal");
    const CReminderList merged = MergeReminderLists(base, ours, copy, nullptr);
    EXPECT_TRUE(MergeKeepsEverything(base, ours, copy, merged));
    std::string texts = Texts(merged);
    // C, which the copy never had, and the second A stay; B stays deleted.
    EXPECT_EQ(texts, "A;E;C;A;D;");
    EXPECT_EQ(merged.m_strDefaultText, "ny");
}

TEST(ConflictCopyTest, ACopyEqualToTheListOrEmptyChangesNothing)
{
    const CReminderList saved = List({"A", "B"});
    for (const CReminderList& copy : {List({"A", "B"}), List({}), List({"B"})}) {
        const CReminderList merged = MergeReminderLists(ConflictCopyBase(saved, copy), saved, copy, nullptr);
        EXPECT_EQ(Texts(merged), "A;B;") << Texts(copy);
    }
}

}  // namespace

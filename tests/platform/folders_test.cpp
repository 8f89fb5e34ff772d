#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <unistd.h>

#include "platform/folders.h"

using namespace varnelo;

namespace {

// A system temporary folder of the test's own, and the place of the user running the test.
struct TempFixture {
    QTemporaryDir temp;
    WorkFolderPlace place{QString(), uint(::geteuid())};

    QString perUser() const { return temp.path() + QStringLiteral("/varnelo-%1").arg(place.owner); }
    QString folder(const QString &appFolder = "/opt/varnelo") const {
        return SetTempFolder(temp.path(), appFolder, place);
    }
};

QFile::Permissions modeOf(const QString &path) {
    return QFileInfo(path).permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                            QFile::ReadOther | QFile::WriteOther | QFile::ExeOther);
}

bool makeFolder(const QString &path, QFile::Permissions permissions) {
    return QDir().mkpath(path) && QFile::setPermissions(path, permissions);
}

constexpr QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
constexpr QFile::Permissions Shared =
    OwnerOnly | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;

}  // namespace

TEST(SetAppFolder, NeverEndsInASeparator) {
    EXPECT_EQ(SetAppFolder(" /opt/varnelo "), "/opt/varnelo");
    EXPECT_EQ(SetAppFolder("C:/"), "C:");
    EXPECT_EQ(SetAppFolder("C:\\"), "C:");
    EXPECT_EQ(SetAppFolder("/"), "");
}

TEST(SetTempFolder, EachInstanceGetsAnOwnerOnlyFolderOfItsOwn) {
    TempFixture f;
    ASSERT_TRUE(f.temp.isValid());
    const QString first = f.folder();
    const QString second = SetTempFolder(f.temp.path() + "/", "/opt/varnelo", f.place);
    ASSERT_TRUE(first.startsWith(f.perUser() + "/VX/")) << first.toStdString();
    EXPECT_TRUE(first.endsWith('/'));
    EXPECT_NE(first, second);
    for (const QString &path : {f.perUser(), f.perUser() + "/VX", first, second}) {
        EXPECT_TRUE(QFileInfo(path).isDir()) << path.toStdString();
        EXPECT_EQ(modeOf(path), QFile::Permissions()) << path.toStdString();
    }

    // The user's runtime folder comes first when it is the user's own.
    QTemporaryDir runtime;
    ASSERT_TRUE(QFile::setPermissions(runtime.path(), OwnerOnly));
    f.place.runtimeFolder = runtime.path();
    EXPECT_TRUE(f.folder().startsWith(runtime.path() + "/VX/"));
    ASSERT_TRUE(QFile::setPermissions(runtime.path(), Shared));
    EXPECT_TRUE(f.folder().startsWith(f.perUser() + "/VX/"));
}

TEST(SetTempFolder, FoldersOthersCouldReachAreNotUsed) {
    {  // the per-user folder open to others
        TempFixture f;
        ASSERT_TRUE(makeFolder(f.perUser(), Shared));
        EXPECT_EQ(f.folder(), "/opt/varnelo/data/");
        EXPECT_FALSE(QFileInfo::exists(f.perUser() + "/VX"));
    }
    {  // a "VX" inside it open to others
        TempFixture f;
        ASSERT_TRUE(makeFolder(f.perUser(), OwnerOnly));
        ASSERT_TRUE(makeFolder(f.perUser() + "/VX", Shared));
        EXPECT_EQ(f.folder(), "/opt/varnelo/data/");
    }
    {  // a link put where the per-user folder goes, pointing at an owner-only folder
        TempFixture f;
        const QString target = f.temp.path() + "/victim";
        ASSERT_TRUE(makeFolder(target, OwnerOnly));
        ASSERT_TRUE(QFile::link(target, f.perUser()));
        EXPECT_EQ(f.folder(), "/opt/varnelo/data/");
        EXPECT_EQ(QDir(target).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }
    {  // folders that belong to another user (the test runs as one user: ask for someone else)
        TempFixture f;
        QTemporaryDir runtime;
        ASSERT_TRUE(QFile::setPermissions(runtime.path(), OwnerOnly));
        f.place.runtimeFolder = runtime.path();
        f.place.owner += 1;
        EXPECT_EQ(f.folder(), "/opt/varnelo/data/");
        EXPECT_FALSE(QFileInfo::exists(runtime.path() + "/VX"));
    }
}

TEST(SetTempFolder, MissingSystemTemporaryFolderGivesTheDataFolder) {
    TempFixture f;
    EXPECT_EQ(SetTempFolder(f.temp.filePath("gone"), "/opt/varnelo", f.place),
              "/opt/varnelo/data/");
    EXPECT_EQ(SetTempFolder("", "C:", f.place), "C:/data/");
    // A runtime folder that is gone is passed over like any unusable one.
    f.place.runtimeFolder = f.temp.filePath("no-runtime");
    EXPECT_TRUE(f.folder().startsWith(f.perUser() + "/VX/"));
}

TEST(RemoveInstanceFolder, RemovesThisInstanceAndEndedOnesOnly) {
    TempFixture f;
    const QString mine = f.folder();
    ASSERT_TRUE(QFile(mine + "002.pos").open(QIODevice::WriteOnly));
    ASSERT_TRUE(QDir().mkpath(mine + "sub"));
    const QString workFolder = f.perUser() + "/VX/";
    // Another running process's folder stays; one of a process that has ended goes at the next
    // start. A process id beyond any the system hands out has surely ended.
    const QString running = workFolder + QStringLiteral("%1-1a").arg(::getppid());
    const QString ended = workFolder + "2147483646-2b";
    ASSERT_TRUE(makeFolder(running, OwnerOnly));
    ASSERT_TRUE(makeFolder(ended + "/deep", OwnerOnly));

    EXPECT_TRUE(RemoveInstanceFolder(mine));
    EXPECT_FALSE(QFileInfo::exists(mine));
    EXPECT_TRUE(QFileInfo(workFolder).isDir());
    EXPECT_TRUE(RemoveInstanceFolder(mine));  // already gone

    // Nothing but this process's instance folder is ever removed.
    QTemporaryDir app;
    ASSERT_TRUE(QDir().mkpath(app.path() + "/data"));
    ASSERT_TRUE(QFile(app.path() + "/data/u.dat").open(QIODevice::WriteOnly));
    EXPECT_TRUE(RemoveInstanceFolder(app.path() + "/data/"));
    EXPECT_TRUE(RemoveInstanceFolder(running + "/"));
    EXPECT_TRUE(QFileInfo::exists(app.path() + "/data/u.dat"));
    EXPECT_TRUE(QFileInfo::exists(running));

    f.folder();
    EXPECT_FALSE(QFileInfo::exists(ended));
    EXPECT_TRUE(QFileInfo::exists(running));
}

#include "RenderRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sstream>

namespace
{

std::string frequencies(int base)
{
    std::string text;
    for (int s = 0; s < 16; ++s)
        text += "," + std::to_string(base + 10 * s);
    return text + "\r\n";
}

class ToneSetOptions : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString write(const QString& name, const std::string& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }

    QTemporaryDir m_dir;
};

TEST_F(ToneSetOptions, ListsEveryFileSetWithItsDuration)
{
    const QString path =
        write("sets.ini", "remark\r\n>Dup,100" + frequencies(400) + ">" + ",70" + frequencies(500) +
                              "> Blank,-5" + frequencies(600) + ">Dup,50" + frequencies(700));
    const Outcome run = render({"--tonesets", path, "--list"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "0\tDTMF1(E=* F=#)\t\n1\tDTMF2(E=* F=#)\t\n2\tDup\t100\n3\t\t70\n"
                       "4\t Blank\t-5\n5\tDup\t50\n");

    // --set takes the first set of that name, with its duration as the tone duration.
    const Outcome byName = render({"-f", path, "--set", "Dup", "--", "01"});
    const Outcome byIndex = render({"-f", path, "-i", "2", "--", "01"});
    const Outcome second = render({"-f", path, "-i", "5", "--", "01"});
    EXPECT_EQ(byName.status, 0);
    EXPECT_EQ(byName.out, byIndex.out);
    EXPECT_NE(byName.out, second.out);
    EXPECT_EQ(render({"-f", path, "--set", "Nope", "1"}).status, 2);
}

TEST_F(ToneSetOptions, LoadProblemsAreWarningsAndTheValidSetsStay)
{
    const QString path = write("sets.ini", ">Bad,70,1,x" + frequencies(1) + ">Good,80" +
                                               frequencies(400) + ">Cut,1");
    const Outcome run = render({"-f", path, "--list"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "0\tDTMF1(E=* F=#)\t\n1\tDTMF2(E=* F=#)\t\n2\tGood\t80\n");
    const std::string prefix = "quorvel-render: warning: " + path.toStdString() + ": Tone set ";
    EXPECT_EQ(run.err, prefix +
                           "\"Bad\" (line 1) left out: its frequency for symbol 1 \"x\" (line 1) "
                           "is not a number.\n" +
                           prefix +
                           "\"Cut\" (line 3) left out: the file ends before its frequency "
                           "for symbol 0.\n");
}

TEST_F(ToneSetOptions, ANamedFileMustBeThereAndReadable)
{
    const Outcome missing = render({"-f", m_dir.filePath("none.ini"), "--list"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "quorvel-render: tone-set file '" +
                               m_dir.filePath("none.ini").toStdString() + "' not found\n");

    ASSERT_TRUE(QDir(m_dir.path()).mkdir("dir.ini"));
    const Outcome unreadable = render({"-f", m_dir.filePath("dir.ini"), "--list"});
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_NE(unreadable.err.find("Is a directory"), std::string::npos) << unreadable.err;
}

TEST_F(ToneSetOptions, ReadsTonesetsIniInTheCurrentDirectoryWhenThere)
{
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    const Outcome without = render({"--list"});
    write("TONESETS.INI", ">Here,90" + frequencies(400));
    const Outcome with = render({"--list"});
    QDir::setCurrent(before);

    EXPECT_EQ(without.status, 0);
    EXPECT_EQ(without.err, "");
    EXPECT_EQ(without.out, "0\tDTMF1(E=* F=#)\t\n1\tDTMF2(E=* F=#)\t\n");
    EXPECT_EQ(with.out, "0\tDTMF1(E=* F=#)\t\n1\tDTMF2(E=* F=#)\t\n2\tHere\t90\n");
}

} // namespace

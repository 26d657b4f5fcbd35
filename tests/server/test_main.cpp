#include <QCoreApplication>
#include <QLoggingCategory>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The server's info lines would drown the test output; warnings still show.
    QLoggingCategory::setFilterRules(QStringLiteral("tessel.*.info=false\ntessel.*.debug=false"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

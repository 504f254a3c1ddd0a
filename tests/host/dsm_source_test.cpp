// Opening and closing sources, and the triplets the manager passes to them.
#include "dsm_fixture.h"

#include <cstring>

namespace lx9::hosttest {
namespace {

using ManagerSources = ManagerTest;

TEST_F(ManagerSources, OpenByNameLoadsTheSourceAndGivesItItsIdAndTheApplication) {
    OpenManager();
    TW_IDENTITY source{};
    ASSERT_EQ(OpenSource("Recorder B", source), TWRC_SUCCESS);
    EXPECT_NE(source.Id, 0u);
    EXPECT_STREQ(source.ProductName, "Recorder B");
    EXPECT_STREQ(source.ProductFamily, "RECORDER");
    ASSERT_NE(Recorder("RecorderB"), nullptr);
    EXPECT_EQ(Recorder("RecorderA"), nullptr);

    TW_IDENTITY seenSource{}, seenApp{};
    RecorderProc<RecorderIdentityProc>("RecorderB", "Recorder_Identities")(&seenSource, &seenApp);
    EXPECT_EQ(seenSource.Id, source.Id);
    EXPECT_EQ(seenApp.Id, app_.Id);
    EXPECT_STREQ(seenApp.ProductName, "manager test");

    const auto calls = RecordedCalls("RecorderB");
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().dat, DAT_IDENTITY);
    EXPECT_EQ(calls.back().msg, MSG_OPENDS);
    EXPECT_EQ(calls.back().originId, app_.Id);

    ASSERT_EQ(CloseSource(source), TWRC_SUCCESS);
    EXPECT_EQ(Recorder("RecorderB"), nullptr) << "closing releases the module";
}

TEST_F(ManagerSources, OpenRefusesUnknownAndAlreadyOpenSources) {
    OpenManager();
    TW_IDENTITY source{};
    EXPECT_EQ(OpenSource("Recorder C", source), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_NODS);

    ASSERT_EQ(OpenSource("Recorder A", source), TWRC_SUCCESS);
    TW_IDENTITY twice{};
    EXPECT_EQ(OpenSource("Recorder A", twice), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_SEQERROR);

    ASSERT_EQ(OpenManager(other_), TWRC_SUCCESS);
    EXPECT_EQ(OpenSource("Recorder A", twice, &other_), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(other_), TWCC_MAXCONNECTIONS);
    TW_IDENTITY b{};
    EXPECT_EQ(OpenSource("Recorder B", b, &other_), TWRC_SUCCESS) << "another source is free";
}

TEST_F(ManagerSources, ASourceThatRefusesToOpenIsReleasedAndItsConditionReported) {
    OpenManager();
    SetEnvironmentVariableA("RECORDER_REFUSE_OPEN", "16");
    TW_IDENTITY source{};
    EXPECT_EQ(OpenSource("Recorder A", source), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_DENIED);
    EXPECT_EQ(Recorder("RecorderA"), nullptr);
    SetEnvironmentVariableA("RECORDER_REFUSE_OPEN", nullptr);
    EXPECT_EQ(OpenSource("Recorder A", source), TWRC_SUCCESS);
}

TEST_F(ManagerSources, CloseRefusesASourceThatIsNotOpen) {
    OpenManager();
    TW_IDENTITY listed{};
    ASSERT_EQ(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &listed), TWRC_SUCCESS);
    EXPECT_EQ(CloseSource(listed), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_NODS);

    ASSERT_EQ(OpenManager(other_), TWRC_SUCCESS);
    TW_IDENTITY source{};
    ASSERT_EQ(OpenSource("Recorder A", source, &other_), TWRC_SUCCESS);
    EXPECT_EQ(CloseSource(source), TWRC_FAILURE) << "not this application's source";
    EXPECT_EQ(ManagerCondition(), TWCC_NODS);
    EXPECT_NE(Recorder("RecorderA"), nullptr);
}

TEST_F(ManagerSources, PassesOtherTripletsToTheSourceUnchanged) {
    OpenManager();
    TW_IDENTITY source{};
    ASSERT_EQ(OpenSource("Recorder A", source), TWRC_SUCCESS);
    RecorderProc<RecorderSetResultProc>("RecorderA", "Recorder_SetPassResult")(TWRC_CHECKSTATUS);

    TW_CAPABILITY capability{ICAP_XFERMECH, TWON_DONTCARE16, nullptr};
    EXPECT_EQ(Call(&source, DG_CONTROL, DAT_CAPABILITY, MSG_GET, &capability), TWRC_CHECKSTATUS);
    TW_IMAGEINFO info{};
    EXPECT_EQ(Call(&source, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_CHECKSTATUS);
    TW_IDENTITY asked{};
    EXPECT_EQ(Call(&source, DG_CONTROL, DAT_IDENTITY, MSG_GET, &asked), TWRC_SUCCESS);
    EXPECT_EQ(asked.Id, source.Id) << "a source's own identity query reaches the source";

    const auto calls = RecordedCalls("RecorderA");
    ASSERT_GE(calls.size(), 4u);
    const RecordedCall& cap = calls[calls.size() - 3];
    EXPECT_EQ(cap.originId, app_.Id);
    EXPECT_EQ(cap.dg, DG_CONTROL);
    EXPECT_EQ(cap.dat, DAT_CAPABILITY);
    EXPECT_EQ(cap.msg, MSG_GET);
    EXPECT_EQ(cap.data, &capability);
    EXPECT_EQ(calls[calls.size() - 2].data, &info);
    EXPECT_EQ(calls[calls.size() - 2].dg, DG_IMAGE);

    // DAT_STATUS with a destination is the source's status, not the manager's.
    TW_STATUS status{};
    EXPECT_EQ(Call(&source, DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
    EXPECT_EQ(RecordedCalls("RecorderA").back().dat, DAT_STATUS);
}

TEST_F(ManagerSources, RefusesDestinationsThatAreNotTheApplicationsOpenSources) {
    TW_IDENTITY source{};
    source.Id = 12345;
    TW_IMAGEINFO info{};
    EXPECT_EQ(Call(&source, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_SEQERROR) << "the manager is not open";

    OpenManager();
    EXPECT_EQ(Call(&source, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_BADDEST);

    ASSERT_EQ(OpenManager(other_), TWRC_SUCCESS);
    ASSERT_EQ(OpenSource("Recorder A", source, &other_), TWRC_SUCCESS);
    const size_t before = RecordedCalls("RecorderA").size();
    EXPECT_EQ(Call(&source, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_BADDEST);
    EXPECT_EQ(RecordedCalls("RecorderA").size(), before) << "the source never saw it";
}

}  // namespace
}  // namespace lx9::hosttest

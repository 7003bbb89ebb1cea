// The stand-in devkit's own classes, called directly as a plug-in calls them:
// what the node relies on of each, including the cases it never meets but a
// plug-in may (null text, a zero vector, a function set given the wrong
// kind of attribute, a handle that designates nothing).
#include <gtest/gtest.h>
#include <maya/MArrayDataHandle.h>
#include <maya/MDataHandle.h>
#include <maya/MFloatVector.h>
#include <maya/MFnLightDataAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>

#include <string>

namespace {

TEST(Sdk, StringsOwnTheirTextAndTakeNullAsEmpty) {
  const char text[] = {'a', 'b', '\0', 'c'};
  const struct {
    const char* what;
    MString made;
    const char* expected;
  } cases[] = {
      {"null", MString(nullptr), ""},
      {"text", MString("colour"), "colour"},
      {"length inside the text", MString("colour", 3), "col"},
      {"length past a NUL stops at it", MString(text, 4), "ab"},
      {"negative length", MString("colour", -1), ""},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(c.made.asChar(), c.expected) << c.what;
    EXPECT_EQ(c.made.length(), std::string(c.expected).size()) << c.what;
  }

  MString a("shader");
  MString b(a);
  b += "/surface";
  b += static_cast<const char*>(nullptr);
  b += MString("");
  EXPECT_STREQ(a.asChar(), "shader") << "a copy is its own";
  EXPECT_STREQ(b.asChar(), "shader/surface");
  a = b;
  b = "x";
  EXPECT_TRUE(a == "shader/surface");
  EXPECT_FALSE(a == static_cast<const char*>(nullptr));
  EXPECT_TRUE(a != b);
  const MString& same = a;
  a = same;
  EXPECT_STREQ(a.asChar(), "shader/surface") << "assigned to itself";
}

TEST(Sdk, StatusesAreThreeBytesThatKnowSuccess) {
  for (int code = MStatus::kSuccess; code <= MStatus::kEndOfFile; ++code) {
    const MStatus s(static_cast<MStatus::MStatusCode>(code));
    const MStatus copy = s;
    EXPECT_EQ(static_cast<bool>(copy), code == MStatus::kSuccess) << code;
    EXPECT_EQ(copy.statusCode(), code);
    EXPECT_TRUE(copy == static_cast<MStatus::MStatusCode>(code));
  }
  EXPECT_TRUE(MStatus() == MStatus::kSuccess);
  EXPECT_EQ(sizeof(MStatus), 3u);
}

TEST(Sdk, TypeIdsAndVectors) {
  EXPECT_EQ(MTypeId(0x84042).id(), 0x84042u);
  EXPECT_EQ(MTypeId(0x840, 0x42).id(), 0x84042u) << "a prefix takes the high bits";
  EXPECT_EQ(MTypeId().id(), 0u);

  MFloatVector v(3.0f, 0.0f, 4.0f);
  EXPECT_EQ(v * MFloatVector(1.0f, 2.0f, 3.0f), 15.0f) << "the dot product";
  EXPECT_EQ(v.length(), 5.0f);
  EXPECT_TRUE(v.normalize() == MStatus::kSuccess);
  EXPECT_FLOAT_EQ(v.x, 0.6f);
  EXPECT_FLOAT_EQ(v[2], 0.8f);
  MFloatVector zero;
  EXPECT_TRUE(zero.normalize() == MStatus::kSuccess);
  EXPECT_TRUE(zero.x == 0.0f && zero.y == 0.0f && zero.z == 0.0f) << "no direction to keep";
  const MFloatVector n = -MFloatVector(1.0f, -2.0f);
  EXPECT_TRUE(n.x == -1.0f && n.y == 2.0f && n.z == -0.0f);
  const MFloatVector sum = 2.0f * (v + n) - v * 2.0f;
  EXPECT_FLOAT_EQ(sum.y, 4.0f);
  v[1] = 7.0f;
  EXPECT_EQ(v.y, 7.0f);
}

// Outside a type's registration an attribute has no node to live in, but a
// function set still makes it and hands it on.
TEST(Sdk, FunctionSetsTakeOnlyTheirOwnKindOfAttribute) {
  MStatus status;
  MFnNumericAttribute numeric;
  const MObject roughness =
      numeric.create("roughness", "rghn", MFnNumericData::kFloat, 0.5, &status);
  ASSERT_TRUE(status == MStatus::kSuccess);
  EXPECT_FALSE(roughness.isNull());

  MFnNumericAttribute again(roughness, &status);
  EXPECT_TRUE(status == MStatus::kSuccess);
  EXPECT_STREQ(again.shortName().asChar(), "rghn");
  MFnLightDataAttribute light(roughness, &status);
  EXPECT_TRUE(status == MStatus::kInvalidParameter) << "numeric data is no light data";
  EXPECT_TRUE(light.setArray(true) == MStatus::kInvalidParameter) << "it holds no attribute";
  EXPECT_STREQ(light.name().asChar(), "");

  MStatus doubleAttribute, compound;
  numeric.create("thickness", "th", MFnNumericData::kDouble, 0.0, &doubleAttribute);
  const MObject x = numeric.create("x", "x", MFnNumericData::kFloat);
  numeric.create("xyz", "xyz", x, x, x, &compound);
  numeric.create("on", "on", MFnNumericData::kBoolean, 1.0);
  const MStatus limit = numeric.setSoftMin(0.0);
  const struct {
    const char* what;
    MStatus got;
    MStatus::MStatusCode expected;
  } cases[] = {
      {"a double attribute", doubleAttribute, MStatus::kNotImplemented},
      {"three floats' default on one float", again.setDefault(1.0f, 2.0f, 3.0f),
       MStatus::kInvalidParameter},
      {"two floats' default", again.setDefault(1.0f, 2.0f), MStatus::kInvalidParameter},
      {"a limit on a boolean", limit, MStatus::kInvalidParameter},
      {"a compound of one child thrice", compound, MStatus::kInvalidParameter},
  };
  for (const auto& c : cases) EXPECT_TRUE(c.got == c.expected) << c.what;
}

TEST(Sdk, PlugsAndHandlesThatDesignateNothingAreHarmless) {
  MFnNumericAttribute fn;
  const MObject a = fn.create("a", "a", MFnNumericData::kFloat);
  const MObject b = fn.create("b", "b", MFnNumericData::kFloat);
  const MPlug plug(MObject::kNullObj, a);
  EXPECT_TRUE(plug == a);
  EXPECT_TRUE(plug != b);
  EXPECT_TRUE(plug.attribute() == a);
  MStatus status;
  EXPECT_TRUE(MPlug().attribute(&status).isNull());
  EXPECT_TRUE(status == MStatus::kInvalidParameter);
  EXPECT_FALSE(MPlug() == MObject::kNullObj) << "an empty plug is no attribute";

  MDataHandle nothing;
  EXPECT_EQ(nothing.asFloat(), 0.0f);
  nothing.asFloat() = 5.0f;
  EXPECT_EQ(nothing.asFloat(), 0.0f) << "its scratch value starts at zero each time";
  EXPECT_EQ(nothing.asFloatVector().x, 0.0f);
  EXPECT_EQ(nothing.child(a).asBool(), false);
  nothing.setClean();

  MArrayDataHandle elements(nothing, &status);
  EXPECT_TRUE(status == MStatus::kInvalidParameter);
  EXPECT_EQ(elements.elementCount(), 0u);
  EXPECT_TRUE(elements.next() == MStatus::kFailure);
  EXPECT_TRUE(elements.jumpToElement(0) == MStatus::kInvalidParameter);
  elements.inputValue(&status);
  EXPECT_TRUE(status == MStatus::kInvalidParameter);
}

}  // namespace

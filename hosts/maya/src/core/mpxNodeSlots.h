// MPxNode's virtual table as the published devkit lays it out in the
// Microsoft ABI, slot by slot, by each function's decorated name. It is kept
// apart from the devkit's MPxNode.h on purpose: the plug-in and OpenMaya are
// both compiled from that header, so every call the compiler makes would
// follow a declaration out of order there; the host holds each node's table
// to this list instead.
#pragma once

namespace mayahost::detail {

struct PublishedSlot {
  const char* name32;  // i686
  const char* name64;  // x86-64
  bool from850;        // isPassiveOutput exists from Maya 8.5 on
};

inline constexpr PublishedSlot kMPxNodeSlots[] = {
    {"??_GMPxNode@@UAEPAXI@Z", "??_GMPxNode@@UEAAPEAXI@Z", false},
    {"?postConstructor@MPxNode@@UAEXXZ", "?postConstructor@MPxNode@@UEAAXXZ", false},
    {"?compute@MPxNode@@UAE?AVMStatus@@ABVMPlug@@AAVMDataBlock@@@Z",
     "?compute@MPxNode@@UEAA?AVMStatus@@AEBVMPlug@@AEAVMDataBlock@@@Z", false},
    {"?getInternalValueInContext@MPxNode@@UAE_NABVMPlug@@AAVMDataHandle@@AAVMDGContext@@@Z",
     "?getInternalValueInContext@MPxNode@@UEAA_NAEBVMPlug@@AEAVMDataHandle@@AEAVMDGContext@@@Z",
     false},
    {"?setInternalValueInContext@MPxNode@@UAE_NABVMPlug@@ABVMDataHandle@@AAVMDGContext@@@Z",
     "?setInternalValueInContext@MPxNode@@UEAA_NAEBVMPlug@@AEBVMDataHandle@@AEAVMDGContext@@@Z",
     false},
    {"?getInternalValue@MPxNode@@UAE_NABVMPlug@@AAVMDataHandle@@@Z",
     "?getInternalValue@MPxNode@@UEAA_NAEBVMPlug@@AEAVMDataHandle@@@Z", false},
    {"?setInternalValue@MPxNode@@UAE_NABVMPlug@@ABVMDataHandle@@@Z",
     "?setInternalValue@MPxNode@@UEAA_NAEBVMPlug@@AEBVMDataHandle@@@Z", false},
    {"?internalArrayCount@MPxNode@@UBEHABVMPlug@@ABVMDGContext@@@Z",
     "?internalArrayCount@MPxNode@@UEBAHAEBVMPlug@@AEBVMDGContext@@@Z", false},
    {"?copyInternalData@MPxNode@@UAEXPAV1@@Z", "?copyInternalData@MPxNode@@UEAAXPEAV1@@Z", false},
    {"?legalConnection@MPxNode@@UBE?AVMStatus@@ABVMPlug@@0_NAA_N@Z",
     "?legalConnection@MPxNode@@UEBA?AVMStatus@@AEBVMPlug@@0_NAEA_N@Z", false},
    {"?legalDisconnection@MPxNode@@UBE?AVMStatus@@ABVMPlug@@0_NAA_N@Z",
     "?legalDisconnection@MPxNode@@UEBA?AVMStatus@@AEBVMPlug@@0_NAEA_N@Z", false},
    {"?setDependentsDirty@MPxNode@@UAE?AVMStatus@@ABVMPlug@@AAVMPlugArray@@@Z",
     "?setDependentsDirty@MPxNode@@UEAA?AVMStatus@@AEBVMPlug@@AEAVMPlugArray@@@Z", false},
    {"?connectionMade@MPxNode@@UAE?AVMStatus@@ABVMPlug@@0_N@Z",
     "?connectionMade@MPxNode@@UEAA?AVMStatus@@AEBVMPlug@@0_N@Z", false},
    {"?connectionBroken@MPxNode@@UAE?AVMStatus@@ABVMPlug@@0_N@Z",
     "?connectionBroken@MPxNode@@UEAA?AVMStatus@@AEBVMPlug@@0_N@Z", false},
    {"?isPassiveOutput@MPxNode@@UBE_NABVMPlug@@@Z", "?isPassiveOutput@MPxNode@@UEBA_NAEBVMPlug@@@Z",
     true},
    {"?shouldSave@MPxNode@@UAE?AVMStatus@@ABVMPlug@@AA_N@Z",
     "?shouldSave@MPxNode@@UEAA?AVMStatus@@AEBVMPlug@@AEA_N@Z", false},
    {"?passThroughToOne@MPxNode@@UBE?AVMPlug@@ABV2@@Z",
     "?passThroughToOne@MPxNode@@UEBA?AVMPlug@@AEBV2@@Z", false},
    {"?passThroughToMany@MPxNode@@UBE_NABVMPlug@@AAVMPlugArray@@@Z",
     "?passThroughToMany@MPxNode@@UEBA_NAEBVMPlug@@AEAVMPlugArray@@@Z", false},
    {"?type@MPxNode@@UBE?AW4Type@1@XZ", "?type@MPxNode@@UEBA?AW4Type@1@XZ", false},
    {"?isAbstractClass@MPxNode@@UBE_NXZ", "?isAbstractClass@MPxNode@@UEBA_NXZ", false},
};

}  // namespace mayahost::detail

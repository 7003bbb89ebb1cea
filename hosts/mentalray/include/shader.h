/*
 * Shader interface of the stand-in mental ray renderer: the types, records,
 * parameter-evaluation macros and renderer functions a shader library is
 * compiled against. Shader sources include it as <shader.h>.
 *
 * It comes in the three vintages of the renderer's own header that shader
 * libraries meet, chosen by MRHOST_SHADER_VINTAGE: 300 (3.0), 340 (3.4) or
 * 350 (3.5, the default). They differ where a shader source can trip over
 * them: miBoolean is an enum before 3.5; miColor and miVector have no struct
 * tag before 3.5; miState::shader is const from 3.4 on; and 3.0 declares the
 * renderer functions with DLLIMPORT, which is dllexport on Windows (sic).
 * The records' layout is the same in all three; some of their members have
 * other names (or none) in 3.0.
 */
#ifndef MRHOST_SHADER_H
#define MRHOST_SHADER_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef MRHOST_SHADER_VINTAGE
#define MRHOST_SHADER_VINTAGE 350
#endif
#if MRHOST_SHADER_VINTAGE != 300 && MRHOST_SHADER_VINTAGE != 340 && MRHOST_SHADER_VINTAGE != 350
#error "MRHOST_SHADER_VINTAGE must be 300, 340 or 350"
#endif

/* Empty off Windows: a library built with hidden visibility exports nothing
 * through DLLEXPORT alone. */
#ifdef _WIN32
#define DLLEXPORT __declspec(dllexport)
#if MRHOST_SHADER_VINTAGE >= 350
#define DLLIMPORT __declspec(dllimport)
#else
#define DLLIMPORT __declspec(dllexport)
#endif
#else
#define DLLEXPORT
#define DLLIMPORT
#endif

#if MRHOST_SHADER_VINTAGE >= 350
#define MRHOST_RENDERER_FUNCTION
#else
#define MRHOST_RENDERER_FUNCTION DLLIMPORT
#endif
#if MRHOST_SHADER_VINTAGE >= 340
#define MRHOST_SHADER_CONST const
#else
#define MRHOST_SHADER_CONST
#endif

typedef float miScalar;
typedef int miInteger;
typedef unsigned int miTag;

#if MRHOST_SHADER_VINTAGE >= 350
typedef int miBoolean;
#define miFALSE 0
#define miTRUE 1
#else
typedef enum { miFALSE = 0, miTRUE = 1 } miBoolean;
#endif
#define miNULLTAG 0

#if MRHOST_SHADER_VINTAGE >= 350
typedef struct miVector {
  miScalar x, y, z;
} miVector;

typedef struct miColor {
  miScalar r, g, b, a;
} miColor;
#else
typedef struct {
  miScalar x, y, z;
} miVector;

typedef struct {
  miScalar r, g, b, a;
} miColor;
#endif

/*
 * The records below are the renderer's: a compiled shader reads them at fixed
 * offsets, so they are laid out member for member as the renderer's 3.x shader
 * interface publishes them (the same offsets in 3.0, 3.4 and 3.5) on i386 and
 * x86-64 ELF and on i686 and x86-64 PE. Where a vintage has no member, or the
 * stand-in does not know its name there, the bytes are opaque members of the
 * same size and alignment. Holes the compiler would leave are named padding,
 * so that a copy of a record carries every byte of it.
 */
#if defined(_WIN64) || defined(__LP64__)
#define MRHOST_POINTER_64 1
#endif

typedef unsigned int miUint;
typedef unsigned int miUint4;
typedef unsigned short miUshort;
typedef unsigned char miUchar;
typedef unsigned char miUint1;
typedef signed char miSint1;
typedef unsigned char miCBoolean;

typedef union {
  void* p;
  int i[2];
} miLock;

/* The union with double is what aligns the shader record to 8 on i686 PE
 * before 3.5. */
typedef union {
  void* p;
#if MRHOST_SHADER_VINTAGE >= 350
  miUint4 u[2];
#else
  double d;
#endif
} miPointer;

/* The renderer's kinds of ray and of function; a shader compiled against this
 * header needs only their size, that of an int. */
typedef enum miRay_type { mrhostRAY_ANY = 0, mrhostRAY_LAST = 0x7fffffff } miRay_type;
enum miFunction_type { mrhostFUNCTION_ANY = 0, mrhostFUNCTION_LAST = 0x7fffffff };

/* The shader record: one instance of a declared shader. Its parameter block
 * lies inline from `parameters` on and runs parameter_size bytes, so the
 * record is allocated that much larger than the 8 bytes declared here. */
typedef struct miFunction {
#if MRHOST_SHADER_VINTAGE >= 340
  miPointer sparep1[7];
#else
  miPointer mrhost_opaque_head[7];
#endif
  enum miFunction_type type;
  miUint out_typemap;
  miUint out_interpmap;
  miTag function_decl;
  miTag next_function;
  miTag parameter_indirect;
  miTag interfacephen;
  miBoolean spare0;
  int parameter_size;
  int result_size;
  int ghost_offs; /* bytes from a parameter to the tag of the shader driving it; 0: none */
#if MRHOST_SHADER_VINTAGE >= 340
  miTag pass_read;
  miTag pass_write;
  miSint1 pass_maxsamples;
  miCBoolean spare2[3];
  miCBoolean no_expl_params;
  miCBoolean cloned;
  miCBoolean spare3[5];
#else
  miUchar mrhost_opaque_pass[19];
#endif
  miUchar label;
  char parameters[8];
} miFunction;

/* The render state of one shading sample. */
typedef struct miState {
  int version;
  miTag camera_inst;
#if MRHOST_SHADER_VINTAGE >= 350
  const struct miCamera* camera;
  const struct miOptions* options;
#else
  const void* mrhost_opaque_camera;
  const void* mrhost_opaque_options;
#endif
  miLock global_lock;
  miUint qmc_instance;
#ifdef MRHOST_POINTER_64
  miUint pad;
#endif
  struct miTs* ts; /* the renderer's own data of the render thread */
  float raster_x;
  float raster_y;
  struct miState* parent;
  miRay_type type;
  miUchar qmc_component;
#if MRHOST_SHADER_VINTAGE >= 340
  miUint1 scanline;
  miCBoolean inv_normal;
  char face;
  void* spare0;
#else
  miCBoolean scanline;
  miCBoolean inv_normal;
  char mrhost_opaque_face;
  void* active;
#endif
  void* cache;
  int reflection_level;
  int refraction_level;
  miVector org; /* ray origin */
  miVector dir; /* ray direction */
#if defined(_WIN32) && !defined(MRHOST_POINTER_64)
  miUchar mrhost_pad_dist[4];
#endif
  double dist; /* length of the ray from org to point */
  float time;
  miScalar ior;
  miScalar ior_in;
  miTag material;
  miTag volume;
  miTag environment;
  miTag refraction_volume;
  miUint label;
  miTag instance;
  miTag light_instance;
  void* pri;
  int pri_idx;
  float bary[4];
  miVector point;  /* hit point */
  miVector normal; /* shading normal */
  miVector normal_geom;
  miScalar dot_nd;
#ifdef MRHOST_POINTER_64
  miUchar mrhost_pad_shadow_tol[4];
#endif
  double shadow_tol;
  miVector* tex_list;
  miVector* bump_x_list;
  miVector* bump_y_list;
  miVector motion;
#ifdef MRHOST_POINTER_64
  miUchar mrhost_pad_derivs[4];
#endif
  miVector* derivs;
  miVector tex;
#ifdef MRHOST_POINTER_64
  miUchar mrhost_pad_shader[4];
#endif
  MRHOST_SHADER_CONST struct miFunction* shader;
  struct miState* child;
  short thread;
#if MRHOST_SHADER_VINTAGE >= 340
  miUshort count;
#else
  miUshort mrhost_opaque_count;
#endif
#ifdef MRHOST_POINTER_64
  miUchar mrhost_pad_user[4];
#endif
  void* user;
  int user_size;
#if defined(_WIN32) || defined(MRHOST_POINTER_64)
  miUchar mrhost_pad_end[4];
#endif
} miState;

/*
 * The published figures, per target; a layout that strays from them does not
 * compile. Every vintage has the same offsets; only i686 PE aligns the shader
 * record differently, to 4 from 3.5 on, where miPointer lost its double.
 */
#if defined(__cplusplus) && (__cplusplus >= 201103L || (defined(_MSC_VER) && _MSC_VER >= 1900))
#define MRHOST_LAYOUT(condition, what) static_assert(condition, "shader.h: " what)
#define MRHOST_ALIGNOF(type) alignof(type)
#elif !defined(__cplusplus) && defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define MRHOST_LAYOUT(condition, what) _Static_assert(condition, "shader.h: " what)
#define MRHOST_ALIGNOF(type) _Alignof(type)
#endif

#if defined(_WIN64) && (defined(__x86_64__) || defined(_M_X64))
#define MRHOST_LAYOUT_TARGET "x86-64 PE"
#define MRHOST_X86_64_LAYOUT 1
#elif defined(_WIN32) && (defined(__i386__) || defined(_M_IX86))
#define MRHOST_LAYOUT_TARGET "i686 PE"
#elif defined(__x86_64__) && defined(__LP64__) && defined(__ELF__)
#define MRHOST_LAYOUT_TARGET "x86-64 ELF"
#define MRHOST_X86_64_LAYOUT 1
#elif defined(__i386__) && defined(__ELF__)
#define MRHOST_LAYOUT_TARGET "i386 ELF"
#endif

#if defined(MRHOST_LAYOUT) && defined(MRHOST_LAYOUT_TARGET)
#if defined(MRHOST_X86_64_LAYOUT)
#define MRHOST_STATE_SIZE 352
#define MRHOST_STATE_ALIGN 8
#define MRHOST_STATE_DIR 108
#define MRHOST_STATE_NORMAL 208
#define MRHOST_STATE_SHADER 312
#define MRHOST_FUNCTION_ALIGN 8
#elif defined(_WIN32)
#define MRHOST_STATE_SIZE 280
#define MRHOST_STATE_ALIGN 8
#define MRHOST_STATE_DIR 80
#define MRHOST_STATE_NORMAL 180
#define MRHOST_STATE_SHADER 256
#if MRHOST_SHADER_VINTAGE >= 350
#define MRHOST_FUNCTION_ALIGN 4
#else
#define MRHOST_FUNCTION_ALIGN 8
#endif
#else
#define MRHOST_STATE_SIZE 272
#define MRHOST_STATE_ALIGN 4
#define MRHOST_STATE_DIR 80
#define MRHOST_STATE_NORMAL 176
#define MRHOST_STATE_SHADER 252
#define MRHOST_FUNCTION_ALIGN 4
#endif
MRHOST_LAYOUT(sizeof(miState) == MRHOST_STATE_SIZE, "sizeof(miState) on " MRHOST_LAYOUT_TARGET);
MRHOST_LAYOUT(MRHOST_ALIGNOF(miState) == MRHOST_STATE_ALIGN,
              "alignof(miState) on " MRHOST_LAYOUT_TARGET);
MRHOST_LAYOUT(offsetof(miState, dir) == MRHOST_STATE_DIR, "miState::dir on " MRHOST_LAYOUT_TARGET);
MRHOST_LAYOUT(offsetof(miState, normal) == MRHOST_STATE_NORMAL,
              "miState::normal on " MRHOST_LAYOUT_TARGET);
MRHOST_LAYOUT(offsetof(miState, shader) == MRHOST_STATE_SHADER,
              "miState::shader on " MRHOST_LAYOUT_TARGET);
MRHOST_LAYOUT(sizeof(miFunction) == 128, "sizeof(miFunction) on " MRHOST_LAYOUT_TARGET);
MRHOST_LAYOUT(MRHOST_ALIGNOF(miFunction) == MRHOST_FUNCTION_ALIGN,
              "alignof(miFunction) on " MRHOST_LAYOUT_TARGET);
MRHOST_LAYOUT(offsetof(miFunction, ghost_offs) == 96,
              "miFunction::ghost_offs on " MRHOST_LAYOUT_TARGET);
MRHOST_LAYOUT(offsetof(miFunction, parameters) == 120,
              "miFunction::parameters on " MRHOST_LAYOUT_TARGET);
#undef MRHOST_STATE_SIZE
#undef MRHOST_STATE_ALIGN
#undef MRHOST_STATE_DIR
#undef MRHOST_STATE_NORMAL
#undef MRHOST_STATE_SHADER
#undef MRHOST_FUNCTION_ALIGN
#endif

MRHOST_RENDERER_FUNCTION void* mi_phen_eval(miState* state, void* param);
MRHOST_RENDERER_FUNCTION miBoolean mi_sample_light(miColor* result, miVector* dir, miScalar* dot_nl,
                                                   miState* state, miTag light_inst,
                                                   miInteger* samples);
MRHOST_RENDERER_FUNCTION miBoolean mi_compute_irradiance(miColor* result, miState* state);

/* A parameter driven by another shader has a non-zero tag ghost_offs bytes after it. */
#define mi_eval(state, param)                                                   \
  ((state)->shader->ghost_offs &&                                               \
           *(miTag*)((char*)(param) + (state)->shader->ghost_offs) != miNULLTAG \
       ? mi_phen_eval((state), (void*)(param))                                  \
       : (void*)(param))

#define mi_eval_color(param) ((miColor*)mi_eval(state, param))
#define mi_eval_vector(param) ((miVector*)mi_eval(state, param))
#define mi_eval_scalar(param) ((miScalar*)mi_eval(state, param))
#define mi_eval_boolean(param) ((miBoolean*)mi_eval(state, param))
#define mi_eval_integer(param) ((miInteger*)mi_eval(state, param))
#define mi_eval_tag(param) ((miTag*)mi_eval(state, param))

#ifdef __cplusplus
}
#endif

#endif

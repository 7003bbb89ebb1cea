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
 * The records' layout is the same in all three.
 */
#ifndef MRHOST_SHADER_H
#define MRHOST_SHADER_H

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

/* The shader record: one instance of a declared shader with its parameters. */
typedef struct miFunction {
  miTag function_decl;
  miTag next_function;
  int ghost_offs;     /* bytes from a parameter to the tag of the shader driving it; 0: none */
  int parameter_size; /* bytes of the parameter block, array elements included */
  void* parameters;   /* the block handed to the shader entry */
} miFunction;

/*
 * The render state of one shading sample. Fields are ordered widest first so
 * the record has no padding holes on 32- and 64-bit targets alike.
 */
typedef struct miState {
  double time;
  double dist; /* length of the ray from org to point */
  struct miState* parent;
  MRHOST_SHADER_CONST struct miFunction* shader;
  void* user;
  void* eval_scratch; /* where mi_phen_eval leaves the values it evaluates for this state */
  int version;
  miTag camera_inst;
  int thread;
  int type;
  int reflection_level;
  int refraction_level;
  miVector org;    /* ray origin */
  miVector dir;    /* ray direction */
  miVector point;  /* hit point */
  miVector normal; /* shading normal */
  miVector normal_geom;
  miScalar dot_nd;
  miTag instance;
  miTag light_instance;
  miScalar ior;
  miScalar ior_in;
  int eval_scratch_size;
  miInteger raster_x;
  miInteger raster_y;
  int reserved[87];
} miState;

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

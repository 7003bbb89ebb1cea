/*
 * Shader interface of the stand-in mental ray renderer: the types, records,
 * parameter-evaluation macros and renderer functions a shader library is
 * compiled against. Shader sources include it as <shader.h>.
 */
#ifndef MRHOST_SHADER_H
#define MRHOST_SHADER_H

#ifdef __cplusplus
extern "C" {
#endif

#ifdef _WIN32
#define DLLEXPORT __declspec(dllexport)
#else
#define DLLEXPORT __attribute__((visibility("default")))
#endif

typedef float miScalar;
typedef int miInteger;
typedef int miBoolean;
typedef unsigned int miTag;

#define miFALSE 0
#define miTRUE 1
#define miNULLTAG 0

typedef struct miVector {
  miScalar x, y, z;
} miVector;

typedef struct miColor {
  miScalar r, g, b, a;
} miColor;

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
  miFunction* shader;
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

void* mi_phen_eval(miState* state, void* param);
miBoolean mi_sample_light(miColor* result, miVector* dir, miScalar* dot_nl, miState* state,
                          miTag light_inst, miInteger* samples);
miBoolean mi_compute_irradiance(miColor* result, miState* state);

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

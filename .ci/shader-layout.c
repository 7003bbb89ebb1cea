/*
 * Every member of miState and miFunction in the stand-in shader.h at the
 * offset the renderer's published header gives it, on the target this is
 * compiled for, in the vintage MRHOST_SHADER_VINTAGE names. A compile check
 * (C11): .ci/sdk-matrix compiles it for i386 and x86-64 ELF and for i686 and
 * x86-64 PE, once per vintage. shader.h checks the sizes and the members a
 * shader reads itself; this checks the rest.
 */
#include <shader.h>
#include <stddef.h>

#if defined(_WIN64)
#define AT(field, i386_elf, x86_64_elf, i686_pe, x86_64_pe) \
  _Static_assert(offsetof(miState, field) == x86_64_pe, "miState::" #field)
#elif defined(_WIN32)
#define AT(field, i386_elf, x86_64_elf, i686_pe, x86_64_pe) \
  _Static_assert(offsetof(miState, field) == i686_pe, "miState::" #field)
#elif defined(__x86_64__)
#define AT(field, i386_elf, x86_64_elf, i686_pe, x86_64_pe) \
  _Static_assert(offsetof(miState, field) == x86_64_elf, "miState::" #field)
#elif defined(__i386__)
#define AT(field, i386_elf, x86_64_elf, i686_pe, x86_64_pe) \
  _Static_assert(offsetof(miState, field) == i386_elf, "miState::" #field)
#else
#error "no published layout for this target"
#endif
#define FUNCTION_AT(field, offset) \
  _Static_assert(offsetof(miFunction, field) == offset, "miFunction::" #field)

/* "-": the member exists only in 64-bit headers. */
#define NONE (-1)

AT(version, 0, 0, 0, 0);
AT(camera_inst, 4, 4, 4, 4);
#if MRHOST_SHADER_VINTAGE >= 350
AT(camera, 8, 8, 8, 8);
AT(options, 12, 16, 12, 16);
#else
AT(mrhost_opaque_camera, 8, 8, 8, 8);
AT(mrhost_opaque_options, 12, 16, 12, 16);
#endif
AT(global_lock, 16, 24, 16, 24);
AT(qmc_instance, 24, 32, 24, 32);
#if defined(_WIN64) || defined(__x86_64__)
AT(pad, NONE, 36, NONE, 36);
#endif
AT(ts, 28, 40, 28, 40);
AT(raster_x, 32, 48, 32, 48);
AT(raster_y, 36, 52, 36, 52);
AT(parent, 40, 56, 40, 56);
AT(type, 44, 64, 44, 64);
AT(qmc_component, 48, 68, 48, 68);
AT(scanline, 49, 69, 49, 69);
AT(inv_normal, 50, 70, 50, 70);
#if MRHOST_SHADER_VINTAGE >= 340
AT(face, 51, 71, 51, 71);
AT(spare0, 52, 72, 52, 72);
#else
AT(mrhost_opaque_face, 51, 71, 51, 71);
AT(active, 52, 72, 52, 72);
#endif
AT(cache, 56, 80, 56, 80);
AT(reflection_level, 60, 88, 60, 88);
AT(refraction_level, 64, 92, 64, 92);
AT(org, 68, 96, 68, 96);
AT(dir, 80, 108, 80, 108);
AT(dist, 92, 120, 96, 120);
AT(time, 100, 128, 104, 128);
AT(ior, 104, 132, 108, 132);
AT(ior_in, 108, 136, 112, 136);
AT(material, 112, 140, 116, 140);
AT(volume, 116, 144, 120, 144);
AT(environment, 120, 148, 124, 148);
AT(refraction_volume, 124, 152, 128, 152);
AT(label, 128, 156, 132, 156);
AT(instance, 132, 160, 136, 160);
AT(light_instance, 136, 164, 140, 164);
AT(pri, 140, 168, 144, 168);
AT(pri_idx, 144, 176, 148, 176);
AT(bary, 148, 180, 152, 180);
AT(point, 164, 196, 168, 196);
AT(normal, 176, 208, 180, 208);
AT(normal_geom, 188, 220, 192, 220);
AT(dot_nd, 200, 232, 204, 232);
AT(shadow_tol, 204, 240, 208, 240);
AT(tex_list, 212, 248, 216, 248);
AT(bump_x_list, 216, 256, 220, 256);
AT(bump_y_list, 220, 264, 224, 264);
AT(motion, 224, 272, 228, 272);
AT(derivs, 236, 288, 240, 288);
AT(tex, 240, 296, 244, 296);
AT(shader, 252, 312, 256, 312);
AT(child, 256, 320, 260, 320);
AT(thread, 260, 328, 264, 328);
#if MRHOST_SHADER_VINTAGE >= 340
AT(count, 262, 330, 266, 330);
#else
AT(mrhost_opaque_count, 262, 330, 266, 330);
#endif
AT(user, 264, 336, 268, 336);
AT(user_size, 268, 344, 272, 344);

#if MRHOST_SHADER_VINTAGE >= 340
FUNCTION_AT(sparep1, 0);
#else
FUNCTION_AT(mrhost_opaque_head, 0);
#endif
FUNCTION_AT(type, 56);
FUNCTION_AT(out_typemap, 60);
FUNCTION_AT(out_interpmap, 64);
FUNCTION_AT(function_decl, 68);
FUNCTION_AT(next_function, 72);
FUNCTION_AT(parameter_indirect, 76);
FUNCTION_AT(interfacephen, 80);
FUNCTION_AT(spare0, 84);
FUNCTION_AT(parameter_size, 88);
FUNCTION_AT(result_size, 92);
FUNCTION_AT(ghost_offs, 96);
#if MRHOST_SHADER_VINTAGE >= 340
FUNCTION_AT(pass_read, 100);
FUNCTION_AT(pass_write, 104);
FUNCTION_AT(pass_maxsamples, 108);
FUNCTION_AT(spare2, 109);
FUNCTION_AT(no_expl_params, 112);
FUNCTION_AT(cloned, 113);
FUNCTION_AT(spare3, 114);
#else
FUNCTION_AT(mrhost_opaque_pass, 100);
#endif
FUNCTION_AT(label, 119);
FUNCTION_AT(parameters, 120);

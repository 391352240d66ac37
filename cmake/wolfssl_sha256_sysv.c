/* The entry points that wolfSSL's SHA-256 code calls for its AVX transforms, under the library's
 * names and mingw-w64's calling convention. Each calls the library's assembly, written for the
 * System V convention and renamed with a zm_sysv_ prefix when it is copied into the build; the
 * compiler saves around the call the registers that the Microsoft convention keeps and the
 * System V one does not. */
#define ZM_SYSV_TRANSFORM(name)                                                                 \
  extern int __attribute__((sysv_abi)) zm_sysv_##name(void* sha256, const unsigned char* data); \
  int name(void* sha256, const unsigned char* data) { return zm_sysv_##name(sha256, data); }
#define ZM_SYSV_TRANSFORM_LEN(name)                                                                               \
  extern int __attribute__((sysv_abi)) zm_sysv_##name(void* sha256, const unsigned char* data, unsigned int len); \
  int name(void* sha256, const unsigned char* data, unsigned int len) { return zm_sysv_##name(sha256, data, len); }

ZM_SYSV_TRANSFORM(Transform_Sha256_AVX1)
ZM_SYSV_TRANSFORM_LEN(Transform_Sha256_AVX1_Len)
ZM_SYSV_TRANSFORM(Transform_Sha256_AVX1_RORX)
ZM_SYSV_TRANSFORM_LEN(Transform_Sha256_AVX1_RORX_Len)
ZM_SYSV_TRANSFORM(Transform_Sha256_AVX2)
ZM_SYSV_TRANSFORM_LEN(Transform_Sha256_AVX2_Len)
ZM_SYSV_TRANSFORM(Transform_Sha256_AVX2_RORX)
ZM_SYSV_TRANSFORM_LEN(Transform_Sha256_AVX2_RORX_Len)

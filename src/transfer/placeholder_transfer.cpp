// Placeholder so the piece links before its first real source lands; remove it then.
namespace bv3 {
int placeholder_transfer = 0;
}

import { readFile } from "node:fs/promises";

// A result that's either a value or the reason it couldn't be made.
type Result<T, E = Error> = { ok: true; value: T } | { ok: false; error: E };

interface User {
  id: number;
  name: string;
  email?: string;
}

export async function loadUsers<T extends User>(path: string): Promise<Result<T[]>> {
  try {
    const text = await readFile(path, "utf8");
    const users = JSON.parse(text) as T[];
    return { ok: true, value: users.filter((u) => u.id > 0) };
  } catch (error) {
    console.warn(`couldn't read ${path}: ${String(error)}`);
    return { ok: false, error: error as Error };
  }
}
